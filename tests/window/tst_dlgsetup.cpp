// The setup dialog: its form, choosing a port and a language, and what OK and
// Cancel keep. Two pseudo-terminals serve as the ports COM42 and COM43.
#include "windowtest.h"

#include "app/dlgsetup.h"
#include "platform/pseudoterminal.h"

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QTranslator>

using namespace windowtest;

namespace {

QLabel* chosenPortLabel(DlgSetup& dialog)
{
    return dialog.findChild<QLabel*>(QStringLiteral("labelComPortVal"));
}

QComboBox* languages(DlgSetup& dialog)
{
    return dialog.findChild<QComboBox*>(QStringLiteral("comboBoxLanguages"));
}

void selectPort(DlgSetup& dialog, const QString& name)
{
    QListWidget* list = dialog.portList();
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

QCheckBox* autoConnectBox(DlgSetup& dialog)
{
    return dialog.findChild<QCheckBox*>(QStringLiteral("checkBoxAutoConnect"));
}

QPushButton* dialogButton(DlgSetup& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(QLatin1String(name));
}

// What the tool wrote to the port's far end, as text.
QByteArray receivedBy(platform::PseudoTerminal& line)
{
    QByteArray bytes;
    char buffer[256];
    while (line.waitReadable(WaitMs)) {
        const long count = line.read(buffer, sizeof buffer);
        if (count <= 0)
            break;
        bytes.append(buffer, count);
        if (bytes.contains("TLTERM"))
            break;
    }
    return bytes;
}

} // namespace

class TestDlgSetup : public QObject, private WindowFixture
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void form();
    void selectedPortServesUntilShownAgain();
    void languageSwitchesAtOnce();
    void okStoresBothChoices();
    void okWithoutChosenPort();
    void automaticConnectionStoredByOkOnly();
    void storedLanguageInOtherCaseIsEnglish();
    void markupPortNameShowsLiterally();

private:
    DlgSetup& openSetup();

    platform::PseudoTerminal m_port42;
    platform::PseudoTerminal m_port43;
};

void TestDlgSetup::init()
{
    QVERIFY(makeWorld());
    const QString link42 = m_folder->filePath(QStringLiteral("port42"));
    const QString link43 = m_folder->filePath(QStringLiteral("port43"));
    QVERIFY(m_port42.open(link42.toStdString()));
    QVERIFY(m_port43.open(link43.toStdString()));
    QVERIFY(m_folder->mapPort(42, link42));
    QVERIFY(m_folder->mapPort(43, link43));
    QVERIFY(m_folder->set("SETUP", "FAVORITE_PORT", QStringLiteral("COM42")));
}

void TestDlgSetup::cleanup()
{
    m_window.reset();
    m_port42.close();
    m_port43.close();
    tearDownWorld();
    // Each test starts English, as a new process would.
    const auto translators = QCoreApplication::instance()->findChildren<QTranslator*>();
    for (QTranslator* translator : translators)
        QCoreApplication::removeTranslator(translator);
}

DlgSetup& TestDlgSetup::openSetup()
{
    if (!m_window) {
        m_window = std::make_unique<TolvoTool>();
        m_window->show();
    }
    QTest::mouseClick(button(*m_window, "pushButtonSetup"), Qt::LeftButton);
    return *m_window->findChild<DlgSetup*>();
}

void TestDlgSetup::form()
{
    DlgSetup& dialog = openSetup();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.parentWidget(), m_window.get());
    QCOMPARE(dialog.objectName(), QStringLiteral("DlgSetup"));
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QCOMPARE(dialog.minimumSize(), QSize(300, 330));
    QCOMPARE(dialog.maximumSize(), QSize(300, 330));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setup"));

    const struct {
        const char* name;
        QRect geometry;
    } placed[] = {
        {"comboBoxLanguages", {10, 40, 191, 22}},   {"line", {10, 70, 271, 16}},
        {"labelComPort", {8, 100, 177, 30}},        {"labelComPortVal", {190, 104, 73, 21}},
        {"listWidgetComPort", {10, 130, 271, 100}}, {"line_2", {10, 230, 271, 20}},
        {"checkBoxAutoConnect", {10, 252, 271, 22}}, {"widget", {100, 290, 162, 27}},
    };
    for (const auto& object : placed) {
        auto* widget = dialog.findChild<QWidget*>(QLatin1String(object.name));
        QVERIFY2(widget, object.name);
        QCOMPARE(widget->geometry(), object.geometry);
    }
    // The headings widen only where their text would be cut.
    const struct {
        const char* name;
        QRect geometry;
    } headings[] = {{"labelLanguageSelectionHead", {10, 10, 117, 30}}, {"labelComPortSelectHead", {10, 80, 111, 30}}};
    for (const auto& heading : headings) {
        auto* label = dialog.findChild<QLabel*>(QLatin1String(heading.name));
        QCOMPARE(label->pos(), heading.geometry.topLeft());
        QCOMPARE(label->height(), heading.geometry.height());
        QCOMPARE(label->width(), qMax(heading.geometry.width(), label->sizeHint().width()));
    }
    QCOMPARE(languages(dialog)->count(), 2);
    QCOMPARE(languages(dialog)->itemText(0), QStringLiteral("GERMAN"));
    QCOMPARE(languages(dialog)->itemText(1), QStringLiteral("ENGLISH"));
    QCOMPARE(languages(dialog)->currentIndex(), 1);
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelComPort"))->text(),
             QStringLiteral("USB port connected to :"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelComPortSelectHead"))->text(),
             QStringLiteral("USB port selection :"));
    QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("labelLanguageSelectionHead"))->text(),
             QStringLiteral("Language selection :"));
    QCOMPARE(dialogButton(dialog, "pushButtonCancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialogButton(dialog, "pushButtonOK")->text(), QStringLiteral("OK"));
    QCOMPARE(autoConnectBox(dialog)->text(), QStringLiteral("Connect when the port appears"));
    QVERIFY(!autoConnectBox(dialog)->isChecked());
    QCOMPARE(chosenPortLabel(dialog)->text(), QStringLiteral("COM42"));
    QVERIFY(dialog.portList()->findItems(QStringLiteral("COM43"), Qt::MatchExactly).size() == 1);
    QVERIFY(dialog.portList()->selectedItems().isEmpty());
}

void TestDlgSetup::selectedPortServesUntilShownAgain()
{
    DlgSetup& dialog = openSetup();
    selectPort(dialog, QStringLiteral("COM43"));
    QCOMPARE(chosenPortLabel(dialog)->text(), QStringLiteral("COM43"));
    QTest::mouseClick(dialogButton(dialog, "pushButtonCancel"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(chosenPortLabel(dialog)->text(), QStringLiteral("COM43"));
    QCOMPARE(m_folder->get("SETUP", "FAVORITE_PORT"), QStringLiteral("COM42"));

    // A connection now uses the selected port.
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(m_window->isOnline());
    QVERIFY(receivedBy(m_port43).contains("VERTLTERM;V. 1.006"));
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(!m_window->isOnline());

    // Shown again, the dialog starts from the settings file.
    openSetup();
    QCOMPARE(chosenPortLabel(dialog)->text(), QStringLiteral("COM42"));
    QVERIFY(dialog.portList()->selectedItems().isEmpty());
    QVERIFY(m_user->boxes.isEmpty());
}

void TestDlgSetup::languageSwitchesAtOnce()
{
    QVERIFY(m_folder->provideGermanTranslation());
    QVERIFY(m_folder->set("SETUP", "LANGUAGE", QStringLiteral("GERMAN")));
    DlgSetup& dialog = openSetup();
    QCOMPARE(languages(dialog)->currentIndex(), 0);
    QVERIFY(m_user->otherBoxes.isEmpty());
    const QString germanConnect = button(*m_window, "pushButtonOnline")->text();
    QVERIFY(germanConnect != QStringLiteral("Connect Wrench"));
    QVERIFY(dialogButton(dialog, "pushButtonCancel")->text() != QStringLiteral("Cancel"));
    QVERIFY(!statusText(*m_window).contains(QStringLiteral("Device is not connected")));

    languages(dialog)->setCurrentIndex(1);
    QCOMPARE(button(*m_window, "pushButtonOnline")->text(), QStringLiteral("Connect Wrench"));
    QCOMPARE(button(*m_window, "pushButtonSetup")->text(), QStringLiteral("Setup"));
    QCOMPARE(statusText(*m_window), offlineStatus);
    QCOMPARE(dialogButton(dialog, "pushButtonCancel")->text(), QStringLiteral("Cancel"));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Setup"));

    QTest::mouseClick(dialogButton(dialog, "pushButtonCancel"), Qt::LeftButton);
    QCOMPARE(button(*m_window, "pushButtonOnline")->text(), QStringLiteral("Connect Wrench"));
    QCOMPARE(m_folder->get("SETUP", "LANGUAGE"), QStringLiteral("GERMAN"));

    // Back to German by the list, again at once.
    openSetup();
    QCOMPARE(languages(dialog)->currentIndex(), 0);
    QCOMPARE(button(*m_window, "pushButtonOnline")->text(), germanConnect);
    QVERIFY(m_user->otherBoxes.isEmpty());
}

void TestDlgSetup::okStoresBothChoices()
{
    DlgSetup& dialog = openSetup();
    selectPort(dialog, QStringLiteral("COM43"));
    languages(dialog)->setCurrentIndex(0); // German without a translation file: a warning, English stays
    QCOMPARE(m_user->otherBoxes.size(), 1);
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(m_folder->get("SETUP", "FAVORITE_PORT"), QStringLiteral("COM43"));
    QCOMPARE(m_folder->get("SETUP", "LANGUAGE"), QStringLiteral("GERMAN"));
    QVERIFY(button(*m_window, "pushButtonOnline")->isEnabled());
    QCOMPARE(dialog.portList()->findItems(QStringLiteral("COM4"), Qt::MatchStartsWith).size(), 2);

    // OK twice in a row: the same again, nothing else.
    openSetup();
    selectPort(dialog, QStringLiteral("COM42"));
    languages(dialog)->setCurrentIndex(1);
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    openSetup();
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    QCOMPARE(m_folder->get("SETUP", "FAVORITE_PORT"), QStringLiteral("COM42"));
    QCOMPARE(m_folder->get("SETUP", "LANGUAGE"), QStringLiteral("ENGLISH"));
    QVERIFY(button(*m_window, "pushButtonOnline")->isEnabled());
    QVERIFY(!m_window->isOnline());
    QCOMPARE(m_user->otherBoxes.size(), 1);
    QVERIFY(m_user->boxes.isEmpty());

    // The stored port is the one a connection uses.
    QTest::keyClick(m_window.get(), Qt::Key_F9);
    QVERIFY(receivedBy(m_port42).contains("VERTLTERM;V. 1.006"));
}

void TestDlgSetup::okWithoutChosenPort()
{
    QVERIFY(m_folder->set("SETUP", "FAVORITE_PORT", QString()));
    DlgSetup& dialog = openSetup();
    QVERIFY(!button(*m_window, "pushButtonOnline")->isEnabled());
    QCOMPARE(chosenPortLabel(dialog)->text(), QString());
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    QCOMPARE(m_folder->get("SETUP", "FAVORITE_PORT"), QString());
    QVERIFY(!button(*m_window, "pushButtonOnline")->isEnabled());
    QVERIFY(!m_window->isOnline());
}

void TestDlgSetup::automaticConnectionStoredByOkOnly()
{
    DlgSetup& dialog = openSetup();
    QVERIFY(!dialog.connectsAutomatically());
    QTest::mouseClick(autoConnectBox(dialog), Qt::LeftButton);
    QVERIFY(autoConnectBox(dialog)->isChecked());
    QTest::mouseClick(dialogButton(dialog, "pushButtonCancel"), Qt::LeftButton);
    QCOMPARE(m_folder->get("SETUP", "AUTO_CONNECT"), QStringLiteral("<missing>"));
    QVERIFY(!dialog.connectsAutomatically());

    // Shown again, the box shows the stored choice.
    openSetup();
    QVERIFY(!autoConnectBox(dialog)->isChecked());
    QTest::mouseClick(autoConnectBox(dialog), Qt::LeftButton);
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    QCOMPARE(m_folder->get("SETUP", "AUTO_CONNECT"), QStringLiteral("1"));
    QVERIFY(dialog.connectsAutomatically());
    // OK on a chosen port that is there connects nothing: only an appearing port does.
    QVERIFY(!m_window->isOnline());

    openSetup();
    QVERIFY(autoConnectBox(dialog)->isChecked());
    QTest::mouseClick(autoConnectBox(dialog), Qt::LeftButton);
    QTest::mouseClick(dialogButton(dialog, "pushButtonOK"), Qt::LeftButton);
    QCOMPARE(m_folder->get("SETUP", "AUTO_CONNECT"), QStringLiteral("0"));
    QVERIFY(!dialog.connectsAutomatically());
    QVERIFY(m_user->boxes.isEmpty());
}

void TestDlgSetup::storedLanguageInOtherCaseIsEnglish()
{
    QVERIFY(m_folder->set("SETUP", "LANGUAGE", QStringLiteral("german")));
    DlgSetup& dialog = openSetup();
    QCOMPARE(languages(dialog)->currentIndex(), 1);
    QCOMPARE(languages(dialog)->currentText(), QStringLiteral("ENGLISH"));
    QVERIFY(m_user->otherBoxes.isEmpty());
}

void TestDlgSetup::markupPortNameShowsLiterally()
{
    // Taken as markup, both names would show as the bare "COM42".
    const QString oneTag = QStringLiteral("<u></u>COM42");
    const QString twoTags = QStringLiteral("<u></u><u></u>COM42");
    QVERIFY(m_folder->set("SETUP", "FAVORITE_PORT", oneTag));
    DlgSetup& dialog = openSetup();
    QCOMPARE(dialog.chosenPort(), oneTag);
    const QImage oneTagShown = chosenPortLabel(dialog)->grab().toImage();
    dialog.hide();
    QVERIFY(m_folder->set("SETUP", "FAVORITE_PORT", twoTags));
    openSetup();
    QCOMPARE(dialog.chosenPort(), twoTags);
    QVERIFY(chosenPortLabel(dialog)->grab().toImage() != oneTagShown);
}

QTEST_MAIN(TestDlgSetup)
#include "tst_dlgsetup.moc"
