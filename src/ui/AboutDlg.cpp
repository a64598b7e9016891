#include "AboutDlg.h"

#include "DialogUnits.h"
#include "strings.h"

#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QString::fromLatin1(Texts::AboutTitle));
    const DialogUnits du(font());
    setFixedSize(du.x(235), du.y(55));

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    icon->move(du.x(11), du.y(17));
    icon->adjustSize();

    auto* version = new QLabel(QString::fromLatin1(Texts::AboutVersion), this);
    version->setTextFormat(Qt::PlainText);
    du.place(version, 40, 10, 119, 8);

    auto* second = new QLabel(QString::fromLatin1(Texts::AboutSecondLine), this);
    second->setTextFormat(Qt::PlainText);
    du.place(second, 40, 25, 119, 8);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setDefault(true);
    du.place(ok, 178, 7, 50, 14);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
