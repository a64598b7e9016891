#include "PortOpenMessage.h"

#include "strings.h"

#include <QCoreApplication>

namespace {

QString text(const char* source)
{
    return QString::fromUtf8(source);
}

QString notSerialKind(NotSerialKind kind)
{
    switch (kind) {
    case NotSerialKind::RegularFile:
        return text(Texts::NotSerialFile);
    case NotSerialKind::Folder:
        return text(Texts::NotSerialFolder);
    case NotSerialKind::Pipe:
        return text(Texts::NotSerialPipe);
    case NotSerialKind::NameTooLong:
        return text(Texts::NotSerialLongName);
    case NotSerialKind::OtherDevice:
        break;
    }
    return text(Texts::NotSerialDevice);
}

QString noPermission(const QString& port, const PortDiagnosis& diagnosis)
{
    const QString group = QString::fromLocal8Bit(diagnosis.group.c_str());
    switch (diagnosis.advice) {
    case PermissionAdvice::JoinGroup:
        return text(Texts::PortNoPermissionGroup).arg(port, group);
    case PermissionAdvice::LogInAgain:
        return text(Texts::PortNoPermissionNewLogin).arg(port, group);
    case PermissionAdvice::OwnerOnly:
        return text(Texts::PortOwnerOnly).arg(port, QString::fromLocal8Bit(diagnosis.owner.c_str()));
    case PermissionAdvice::AskForAccess:
        break;
    }
    return text(Texts::PortNoPermission).arg(port);
}

} // namespace

QString portOpenMessage(const QString& port, const PortDiagnosis& diagnosis, const QString& reason)
{
    switch (diagnosis.fault) {
    case PortFault::InUse:
        if (diagnosis.holder.empty())
            return text(Texts::PortInUse).arg(port);
        return text(Texts::PortInUseBy).arg(port, QString::fromLocal8Bit(diagnosis.holder.c_str()));
    case PortFault::NoPermission:
        return noPermission(port, diagnosis);
    case PortFault::Missing:
        return text(Texts::PortMissing).arg(port);
    case PortFault::NotSerial:
        return text(Texts::PortNotSerial).arg(port, notSerialKind(diagnosis.kind));
    case PortFault::Unknown:
        break;
    }
    return QCoreApplication::translate("CMSComm", "Cannot open the serial port %1: %2.").arg(port, reason);
}
