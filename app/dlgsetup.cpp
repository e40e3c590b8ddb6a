#include "app/dlgsetup.h"

#include "app/qorbinifile.h"
#include "app/setupdefaults.h"
#include "app/tolvotool.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

const QString& setupSection = setupdefaults::Section;
const QString germanItem = QStringLiteral("GERMAN");
const QString englishItem = QStringLiteral("ENGLISH");

const QString autoConnectKey = QStringLiteral("AUTO_CONNECT");

// Taller than the original form by the row of the automatic connection.
constexpr QSize DialogSize(300, 330);

QLabel* headLabel(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setMinimumHeight(30);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setMargin(1);
    return label;
}

// The headings keep their place but take the width their text needs: fonts
// wider than the form was drawn for would cut them off at the left.
void fitHeading(QLabel* label, int formWidth)
{
    label->resize(qMax(formWidth, label->sizeHint().width()), label->height());
}

QFrame* sunkenLine(QWidget* parent, const char* name, const QRect& geometry)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setGeometry(geometry);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

DlgSetup::DlgSetup(TolvoTool* mainWindow)
    : QDialog(mainWindow)
    , m_mainWindow(mainWindow)
    , m_settings(mainWindow->settings())
{
    buildForm();
    retranslate();
    // Before the connections, so that building the dialog switches no language.
    m_comboBoxLanguages->addItem(germanItem);
    m_comboBoxLanguages->addItem(englishItem);

    connect(m_comboBoxLanguages, &QComboBox::currentIndexChanged, this, &DlgSetup::slotSetLanguage);
    connect(m_listWidgetComPort, &QListWidget::itemSelectionChanged, this, &DlgSetup::slotComPortChanged);
    connect(m_pushButtonOK, &QPushButton::clicked, this, &DlgSetup::slotOK);
    connect(m_pushButtonCancel, &QPushButton::clicked, this, &DlgSetup::slotCancel);

    m_labelComPortVal->setText(storedSetup("FAVORITE_PORT"));
}

void DlgSetup::buildForm()
{
    setObjectName(QStringLiteral("DlgSetup"));
    setWindowModality(Qt::ApplicationModal);
    resize(DialogSize);
    setMinimumSize(DialogSize);
    setMaximumSize(DialogSize);
    setStyleSheet(QStringLiteral(
        "QPushButton{color:black;border-radius:4px;border-width:1px;border-color:#859789;"
        "border-style:solid;background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 2, "
        "stop: 0 #F6F7FA, stop: 1 #AAABAE)}\n"
        "QPushButton:hover{border-width:1px;border-color:#FF7777;border-style:solid;"
        "background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 #f6f7fa, "
        "stop: 1 #dadbde)}\n"
        "QPushButton:pressed {background-color: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, "
        "stop: 0 #dadbde, stop: 1 #f6f7fa);}"));

    m_labelLanguageSelectionHead = headLabel(this, "labelLanguageSelectionHead", QRect(10, 10, 117, 30));
    m_labelLanguageSelectionHead->setFont(QFont());

    m_comboBoxLanguages = new QComboBox(this);
    m_comboBoxLanguages->setObjectName(QStringLiteral("comboBoxLanguages"));
    m_comboBoxLanguages->setGeometry(10, 40, 191, 22);

    m_line = sunkenLine(this, "line", QRect(10, 70, 271, 16));
    m_labelComPortSelectHead = headLabel(this, "labelComPortSelectHead", QRect(10, 80, 111, 30));
    m_labelComPort = headLabel(this, "labelComPort", QRect(8, 100, 177, 30));

    m_labelComPortVal = new QLabel(this);
    m_labelComPortVal->setObjectName(QStringLiteral("labelComPortVal"));
    m_labelComPortVal->setGeometry(190, 104, 73, 21);
    m_labelComPortVal->setFixedHeight(21);
    // The port name comes from the settings file: never markup.
    m_labelComPortVal->setTextFormat(Qt::PlainText);
    m_labelComPortVal->setAlignment(Qt::AlignCenter);
    m_labelComPortVal->setMargin(1);
    m_labelComPortVal->setStyleSheet(QStringLiteral(
        "background-color:#F5FEF5;color:#4444FF;font-weight:bold;font-family:tahoma;"
        "font-size:12px;border-style:solid;border-width:1px;border-color:#A9C9EA"));

    m_listWidgetComPort = new QListWidget(this);
    m_listWidgetComPort->setObjectName(QStringLiteral("listWidgetComPort"));
    m_listWidgetComPort->setGeometry(10, 130, 271, 100);
    m_listWidgetComPort->setFixedHeight(100);
    m_listWidgetComPort->setBaseSize(16, 0);
    m_listWidgetComPort->setFrameShape(QFrame::Box);
    m_listWidgetComPort->setFrameShadow(QFrame::Sunken);

    m_line2 = sunkenLine(this, "line_2", QRect(10, 230, 271, 20));

    m_checkBoxAutoConnect = new QCheckBox(this);
    m_checkBoxAutoConnect->setObjectName(QStringLiteral("checkBoxAutoConnect"));
    m_checkBoxAutoConnect->setGeometry(10, 252, 271, 22);

    m_widget = new QWidget(this);
    m_widget->setObjectName(QStringLiteral("widget"));
    m_widget->setGeometry(100, 290, 162, 27);
    m_gridLayout = new QGridLayout(m_widget);
    m_gridLayout->setObjectName(QStringLiteral("gridLayout"));
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_pushButtonCancel = new QPushButton(m_widget);
    m_pushButtonCancel->setObjectName(QStringLiteral("pushButtonCancel"));
    m_pushButtonCancel->setMinimumSize(77, 25);
    m_pushButtonOK = new QPushButton(m_widget);
    m_pushButtonOK->setObjectName(QStringLiteral("pushButtonOK"));
    m_pushButtonOK->setMinimumSize(77, 25);
    m_gridLayout->addWidget(m_pushButtonCancel, 0, 0);
    m_gridLayout->addWidget(m_pushButtonOK, 0, 1);
}

void DlgSetup::retranslate()
{
    setWindowTitle(tr("Setup"));
    m_labelComPort->setText(tr("USB port connected to :"));
    m_labelComPortSelectHead->setText(tr("USB port selection :"));
    m_labelLanguageSelectionHead->setText(tr("Language selection :"));
    fitHeading(m_labelComPortSelectHead, 111);
    fitHeading(m_labelLanguageSelectionHead, 117);
    m_checkBoxAutoConnect->setText(tr("Connect when the port appears"));
    m_pushButtonCancel->setText(tr("Cancel"));
    m_pushButtonOK->setText(tr("OK"));
}

QString DlgSetup::storedSetup(const char* key) const
{
    return m_settings.readString(setupSection, QLatin1String(key), QString(), false);
}

QString DlgSetup::chosenPort() const
{
    return m_labelComPortVal->text();
}

bool DlgSetup::connectsAutomatically() const
{
    return m_settings.readInt(setupSection, autoConnectKey, 0, false) == 1;
}

void DlgSetup::setVisible(bool visible)
{
    if (visible) {
        m_listWidgetComPort->setCurrentItem(nullptr);
        m_labelComPortVal->setText(storedSetup("FAVORITE_PORT"));
        m_comboBoxLanguages->setCurrentIndex(storedSetup("LANGUAGE") == germanItem ? 0 : 1);
        m_checkBoxAutoConnect->setChecked(connectsAutomatically());
    }
    QDialog::setVisible(visible);
}

void DlgSetup::slotComPortChanged()
{
    if (const QListWidgetItem* item = m_listWidgetComPort->currentItem())
        m_labelComPortVal->setText(item->text());
}

void DlgSetup::slotSetLanguage(int langIndex)
{
    m_mainWindow->loadTranslation(langIndex);
}

void DlgSetup::slotOK()
{
    m_settings.writeString(setupSection, QStringLiteral("FAVORITE_PORT"), chosenPort());
    m_settings.writeString(setupSection, QStringLiteral("LANGUAGE"), m_comboBoxLanguages->currentText());
    m_settings.writeInt(setupSection, autoConnectKey, m_checkBoxAutoConnect->isChecked() ? 1 : 0);
    m_mainWindow->resetConnection();
    hide();
}

void DlgSetup::slotCancel()
{
    hide();
}
