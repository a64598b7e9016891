// Template 131: the controls of the configuration dialog, their places in
// dialog units, their initial states and the tab order.
#include "ConfigDlg.h"

#include "DialogUnits.h"
#include "PortList.h"
#include "resource.h"
#include "strings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

namespace {

template <typename Widget> Widget* makeControl(QWidget* parent, const char* name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

template <typename Button> Button* makeButton(QWidget* parent, const char* name, const char* text)
{
    auto* button = makeControl<Button>(parent, name);
    button->setText(QString::fromLatin1(text));
    return button;
}

QLineEdit* makeEdit(QWidget* parent, const char* name)
{
    auto* edit = makeControl<QLineEdit>(parent, name);
    edit->setFrame(true);
    return edit;
}

QComboBox* makePortList(QWidget* parent, const char* name)
{
    auto* list = makeControl<QComboBox>(parent, name);
    PortList::setUp(list);
    return list;
}

// A combo box's template height includes its dropped-down list; on screen only
// the field shows, at the height the style gives it.
void placeCombo(const DialogUnits& units, QComboBox* list, int left, int top, int width)
{
    list->setGeometry(units.x(left), units.y(top), units.x(width), list->sizeHint().height());
}

void placeLabel(const DialogUnits& units, QWidget* parent, const char* text, QRect rect)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(units.rect(rect.x(), rect.y(), rect.width(), rect.height()));
}

// The template's widths were measured with a narrower font than most desktops
// use; a check box or radio button keeps room for its whole text.
void widenToText(QAbstractButton* button)
{
    button->resize(qMax(button->width(), button->sizeHint().width()), button->height());
}

} // namespace

void CConfigDlg::buildControls()
{
    setWindowTitle(QString::fromLatin1(Texts::ConfigTitle));
    setObjectName(QStringLiteral("IDD_CONFIG"));

    m_portList = makePortList(this, "IDC_PORT");
    m_commandEdit = makeEdit(this, "IDC_COMMAND");
    m_markerEdit = makeEdit(this, "IDC_MARKER");
    m_enableLogBox = makeButton<QCheckBox>(this, "IDC_ENABLE_LOG", Texts::EnableLog);
    m_ignoreSameBox = makeButton<QCheckBox>(this, "IDC_IGNORE_SAME", Texts::IgnoreSame);
    m_automateBox = makeButton<QCheckBox>(this, "IDC_AUTOMATE", Texts::Automate);
    m_disableManualBox = makeButton<QCheckBox>(this, "IDC_DISABLE_MANUAL", Texts::DisableManual);
    m_every = makeButton<QRadioButton>(this, "IDC_EVERY", Texts::CheckEvery);
    m_onRing = makeButton<QRadioButton>(this, "IDC_ON_RING", Texts::OnRing);
    m_onApp = makeButton<QRadioButton>(this, "IDC_ON_APP", Texts::OnApp);
    m_minutesEdit = makeEdit(this, "IDC_MINUTES");
    m_anotherPortList = makePortList(this, "IDC_ANOTHER_PORT");
    m_anotherAppEdit = makeEdit(this, "IDC_ANOTHER_APP");
    m_ringCommandEdit = makeEdit(this, "IDC_RING_COMMAND");
    m_ringCommandEdit->setToolTip(QString::fromLatin1(Texts::RingCommandTip));
    m_notifyBox = makeButton<QCheckBox>(this, "IDC_NOTIFY", Texts::NotifyCalls);
    m_ok = makeButton<QPushButton>(this, "IDOK", "OK");
    m_cancel = makeButton<QPushButton>(this, "IDCANCEL", "Cancel");
    m_font = makeButton<QPushButton>(this, "IDC_FONT", Texts::FontButton);
    m_detect = makeButton<QPushButton>(this, "IDC_DETECT", Texts::DetectButton);
    m_detectLine = makeControl<QLabel>(this, "IDC_DETECTED");
    // What a modem says of itself is shown as it is, never as markup.
    m_detectLine->setTextFormat(Qt::PlainText);
    m_detectLine->setWordWrap(true);

    m_modeGroup = new QButtonGroup(this);
    m_modeGroup->addButton(m_every, 0);
    m_modeGroup->addButton(m_onRing, 1);
    m_modeGroup->addButton(m_onApp, 2);

    // Digits only while typing; a pasted or empty text is caught at OK.
    m_minutesEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), m_minutesEdit));
    m_ok->setDefault(true);

    for (QWidget* initiallyDisabled :
         std::initializer_list<QWidget*>{m_ignoreSameBox, m_disableManualBox, m_every, m_onRing, m_onApp, m_minutesEdit,
                                         m_anotherPortList, m_anotherAppEdit, m_ringCommandEdit})
        initiallyDisabled->setEnabled(false);

    placeControls();
    setTemplateTabOrder();
    connectHandlers();
}

void CConfigDlg::placeControls()
{
    const DialogUnits units(font());
    setFixedSize(units.x(302), units.y(197));

    // Wide enough for most names; the whole name is in the list's tip.
    placeCombo(units, m_portList, 49, 7, 148);
    units.place(m_detect, 200, 7, 40, 14);
    units.place(m_detectLine, 7, 172, 288, 20);
    units.place(m_commandEdit, 7, 34, 140, 12);
    units.place(m_markerEdit, 7, 66, 230, 12);
    units.place(m_enableLogBox, 7, 86, 52, 10);
    units.place(m_ignoreSameBox, 76, 86, 83, 10);
    units.place(m_automateBox, 7, 104, 46, 10);
    units.place(m_disableManualBox, 75, 104, 87, 10);
    units.place(m_every, 32, 121, 83, 10);
    units.place(m_onRing, 31, 139, 97, 10);
    units.place(m_onApp, 31, 156, 97, 10);
    units.place(m_minutesEdit, 116, 118, 18, 14);
    placeCombo(units, m_anotherPortList, 137, 137, 48);
    units.place(m_anotherAppEdit, 136, 155, 129, 14);
    units.place(m_ringCommandEdit, 189, 137, 76, 12);
    units.place(m_notifyBox, 170, 86, 70, 10);
    units.place(m_ok, 245, 7, 50, 14);
    units.place(m_cancel, 245, 24, 50, 14);
    placeLabel(units, this, Texts::ComPortLabel, QRect(7, 9, 39, 8));
    placeLabel(units, this, Texts::CommandLabel, QRect(7, 23, 121, 8));
    placeLabel(units, this, Texts::MarkerLabel, QRect(7, 55, 121, 8));
    placeLabel(units, this, Texts::MinutesLabel, QRect(141, 121, 40, 8));
    placeLabel(units, this, Texts::RingCommandLabel, QRect(189, 128, 76, 8));
    units.place(m_font, 245, 41, 50, 14);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{
             m_enableLogBox, m_ignoreSameBox, m_notifyBox, m_automateBox, m_disableManualBox, m_every, m_onRing,
             m_onApp})
        widenToText(button);
}

// Tab treats the exclusive mode buttons as one stop; arrow keys move among them.
void CConfigDlg::setTemplateTabOrder()
{
    const QList<QWidget*> order{m_portList,        m_commandEdit,    m_markerEdit,  m_enableLogBox,
                                m_ignoreSameBox,   m_notifyBox,      m_automateBox, m_disableManualBox,
                                m_every,           m_onRing,         m_onApp,       m_minutesEdit,
                                m_anotherPortList, m_ringCommandEdit, m_anotherAppEdit, m_ok,
                                m_cancel,          m_font,           m_detect};
    for (int i = 1; i < order.size(); ++i)
        setTabOrder(order.at(i - 1), order.at(i));
}

void CConfigDlg::connectHandlers()
{
    connect(m_automateBox, &QCheckBox::clicked, this, &CConfigDlg::UpdateAutomationControls);
    connect(m_enableLogBox, &QCheckBox::clicked, this, &CConfigDlg::UpdateLogControls);
    connect(m_modeGroup, &QButtonGroup::idClicked, this, &CConfigDlg::UpdateAutomationControls);
    connect(m_font, &QPushButton::clicked, this, &CConfigDlg::ChooseDisplayFont);
    connect(m_ok, &QPushButton::clicked, this, &CConfigDlg::accept);
    connect(m_cancel, &QPushButton::clicked, this, &CConfigDlg::reject);
}
