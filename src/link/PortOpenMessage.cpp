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

} // namespace

QString portOpenMessage(const QString& port, const PortDiagnosis& diagnosis, const QString& reason)
{
    switch (diagnosis.fault) {
    case PortFault::InUse:
        if (diagnosis.holder.empty())
            return text(Texts::PortInUse).arg(port);
        return text(Texts::PortInUseBy).arg(port, QString::fromLocal8Bit(diagnosis.holder.c_str()));
    case PortFault::NoPermission:
        if (diagnosis.group.empty())
            return text(Texts::PortNoPermission).arg(port);
        return text(Texts::PortNoPermissionGroup).arg(port, QString::fromLocal8Bit(diagnosis.group.c_str()));
    case PortFault::Missing:
        return text(Texts::PortMissing).arg(port);
    case PortFault::NotSerial:
        return text(Texts::PortNotSerial).arg(port, notSerialKind(diagnosis.kind));
    case PortFault::Unknown:
        break;
    }
    return QCoreApplication::translate("CMSComm", "Cannot open the serial port %1: %2.").arg(port, reason);
}
