#include "PortDiagnosis.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The serial library opens bare names under /dev, and paths as they stand.
std::string devicePath(const std::string& name)
{
    if (name.rfind('/', 0) == 0 || name.rfind("./", 0) == 0 || name.rfind("../", 0) == 0)
        return name;
    return "/dev/" + name;
}

std::string groupName(gid_t gid)
{
    const group* entry = ::getgrgid(gid);
    return entry ? entry->gr_name : std::to_string(gid);
}

std::string userName(uid_t uid)
{
    const passwd* entry = ::getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

// The groups this process has now: fixed at log-in.
bool inGroupNow(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? count : 0);
    if (count <= 0 || ::getgroups(count, groups.data()) < 0)
        return false;
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// The user's groups in the group database: what the next log-in gives.
bool listedInGroup(gid_t gid)
{
    const passwd* user = ::getpwuid(::geteuid());
    if (!user)
        return false;
    if (user->pw_gid == gid)
        return true;
    const std::string name = user->pw_name;
    const group* entry = ::getgrgid(gid);
    for (char** member = entry ? entry->gr_mem : nullptr; member && *member; ++member)
        if (name == *member)
            return true;
    return false;
}

// Joining the group helps only where the group may read and write the device;
// where the owner alone may, no group does.
PortDiagnosis refusedPermission(const std::string& path)
{
    PortDiagnosis diagnosis;
    diagnosis.fault = PortFault::NoPermission;
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return diagnosis;
    diagnosis.owner = userName(info.st_uid);
    diagnosis.group = groupName(info.st_gid);
    const auto allows = [&info](mode_t read, mode_t write) {
        return (info.st_mode & (read | write)) == (read | write);
    };
    if (info.st_uid == ::geteuid() || allows(S_IROTH, S_IWOTH) || !allows(S_IRUSR, S_IWUSR))
        return diagnosis; // the mode bits do not say why
    if (!allows(S_IRGRP, S_IWGRP))
        diagnosis.advice = PermissionAdvice::OwnerOnly;
    else if (!inGroupNow(info.st_gid))
        diagnosis.advice = listedInGroup(info.st_gid) ? PermissionAdvice::LogInAgain : PermissionAdvice::JoinGroup;
    return diagnosis;
}

PortDiagnosis notSerial(NotSerialKind kind)
{
    PortDiagnosis diagnosis;
    diagnosis.fault = PortFault::NotSerial;
    diagnosis.kind = kind;
    return diagnosis;
}

// UUCP-style lock files, as the serial library and terminal programs write
// them: "LCK.." and the name below /dev with '/' made '_'; the first line is
// the holder's process id, often padded with spaces.
std::string lockHolderOf(const std::string& path)
{
    std::string lockName = path.rfind("/dev/", 0) == 0 ? path.substr(5) : path;
    for (char& c : lockName)
        if (c == '/')
            c = '_';
    for (const char* folder : {"/var/lock", "/run/lock", "/var/spool/locks", "/var/spool/uucp", "/tmp", "/var/tmp"}) {
        std::ifstream lock(std::string(folder) + "/LCK.." + lockName);
        long pid = 0;
        if (!(lock >> pid) || pid <= 0)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno != EPERM)
            continue; // a stale lock: its process has gone
        std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
        std::string program;
        std::getline(comm, program);
        return program.empty() ? "process " + std::to_string(pid) : program;
    }
    return {};
}

// A link (/dev/serial/by-id/...) and its device each have a lock file of their own.
std::string lockHolder(const std::string& path)
{
    std::string holder = lockHolderOf(path);
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        if (holder.empty() && path != real)
            holder = lockHolderOf(real);
        std::free(real);
    }
    return holder;
}

PortDiagnosis fromFileType(mode_t mode)
{
    if (S_ISREG(mode))
        return notSerial(NotSerialKind::RegularFile);
    if (S_ISDIR(mode))
        return notSerial(NotSerialKind::Folder);
    if (S_ISFIFO(mode))
        return notSerial(NotSerialKind::Pipe);
    return notSerial(NotSerialKind::OtherDevice);
}

// Opening it shows what no metadata can: held exclusively, unplugged, or not a terminal.
PortDiagnosis tryOpen(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return diagnoseOpenError(errno, path);
    const bool terminal = ::isatty(fd) != 0;
    ::close(fd);
    return terminal ? PortDiagnosis() : notSerial(NotSerialKind::OtherDevice);
}

} // namespace

PortDiagnosis diagnoseOpenError(int error, const std::string& devicePath)
{
    PortDiagnosis diagnosis;
    switch (error) {
    case EACCES:
    case EPERM:
        return refusedPermission(devicePath);
    case EBUSY:
        diagnosis.fault = PortFault::InUse;
        break;
    case ENOENT:
    case ENOTDIR:
    case ENXIO:
    case ENODEV:
    case EIO:
        diagnosis.fault = PortFault::Missing;
        break;
    case ENAMETOOLONG:
        return notSerial(NotSerialKind::NameTooLong);
    case EISDIR:
        return notSerial(NotSerialKind::Folder);
    default:
        break;
    }
    return diagnosis;
}

PortDiagnosis diagnosePort(const std::string& name)
{
    const std::string path = devicePath(name);
    struct stat info
    {
    };
    if (::stat(path.c_str(), &info) != 0)
        return diagnoseOpenError(errno, path);
    if (!S_ISCHR(info.st_mode))
        return fromFileType(info.st_mode);

    PortDiagnosis diagnosis;
    diagnosis.holder = lockHolder(path);
    if (!diagnosis.holder.empty()) {
        diagnosis.fault = PortFault::InUse;
        return diagnosis;
    }
    if (::access(path.c_str(), R_OK | W_OK) != 0)
        return diagnoseOpenError(errno, path);
    return tryOpen(path);
}
