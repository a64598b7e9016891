// Calls across desks: the two NCID fields at the foot of the configuration
// dialog, the server whose calls are shown here and where this desk serves its own.
#include "ConfigDlg.h"

#include "DialogUnits.h"
#include "strings.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

QLabel* makePlainLabel(QWidget* parent, const char* text)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

// Below whatever the template holds: the dialog grows by these rows.
void CConfigDlg::buildNetworkControls()
{
    const DialogUnits units(font());
    const int top = height();
    const auto place = [&](QWidget* widget, int left, int y, int width, int rowHeight) {
        widget->setGeometry(units.x(left), top + units.y(y), units.x(width), units.y(rowHeight));
    };
    m_ncidServerEdit = new QLineEdit(m_record.ncidServer, this);
    m_ncidServerEdit->setObjectName(QStringLiteral("IDC_NCID_SERVER"));
    m_ncidListenEdit = new QLineEdit(m_record.ncidListen, this);
    m_ncidListenEdit->setObjectName(QStringLiteral("IDC_NCID_LISTEN"));
    // No grey example in the fields: an empty field would read as one set to it.
    place(makePlainLabel(this, Texts::NcidServerLabel), 7, 2, 130, 8);
    place(m_ncidServerEdit, 140, 0, 155, 12);
    place(makePlainLabel(this, Texts::NcidListenLabel), 7, 18, 130, 8);
    place(m_ncidListenEdit, 140, 16, 155, 12);
    QLabel* warning = makePlainLabel(this, Texts::NcidListenWarning);
    warning->setObjectName(QStringLiteral("IDC_NCID_WARNING"));
    warning->setWordWrap(true);
    place(warning, 7, 31, 288, 16);
    setFixedSize(width(), top + units.y(51));
    setTabOrder(m_detect, m_ncidServerEdit);
    setTabOrder(m_ncidServerEdit, m_ncidListenEdit);
}

void CConfigDlg::takeNetworkFields()
{
    m_record.ncidServer = m_ncidServerEdit->text().trimmed();
    m_record.ncidListen = m_ncidListenEdit->text().trimmed();
}
