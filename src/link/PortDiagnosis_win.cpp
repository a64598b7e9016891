#include "PortDiagnosis.h"

#include <windows.h>

namespace {

// The serial library opens every name in the device namespace, "\\.\COM3".
std::wstring devicePath(const std::string& name)
{
    std::wstring wide(name.begin(), name.end());
    if (wide.find(L"\\\\.\\") == std::wstring::npos)
        wide.insert(0, L"\\\\.\\");
    return wide;
}

PortDiagnosis notSerial(NotSerialKind kind)
{
    PortDiagnosis diagnosis;
    diagnosis.fault = PortFault::NotSerial;
    diagnosis.kind = kind;
    return diagnosis;
}

} // namespace

// Windows opens a serial port for one program at a time: a port that exists
// but is refused is almost always held by another program.
PortDiagnosis diagnoseOpenError(int error, const std::string&)
{
    PortDiagnosis diagnosis;
    switch (static_cast<DWORD>(error)) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        diagnosis.fault = PortFault::InUse;
        break;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
        diagnosis.fault = PortFault::Missing;
        break;
    case ERROR_FILENAME_EXCED_RANGE:
        return notSerial(NotSerialKind::NameTooLong);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return notSerial(NotSerialKind::OtherDevice);
    default:
        break;
    }
    return diagnosis;
}

PortDiagnosis diagnosePort(const std::string& name)
{
    const std::wstring path = devicePath(name);
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return diagnoseOpenError(static_cast<int>(::GetLastError()), std::string());
    DCB state{};
    state.DCBlength = sizeof state;
    const bool serial = ::GetFileType(handle) == FILE_TYPE_CHAR && ::GetCommState(handle, &state);
    ::CloseHandle(handle);
    return serial ? PortDiagnosis() : notSerial(NotSerialKind::OtherDevice);
}
