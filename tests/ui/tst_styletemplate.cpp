#include "ui/qorbxmlmachine.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

#include <sys/stat.h>

namespace {

const QString resourceDir = QStringLiteral(TOLVO_RESOURCE_DIR);

const std::pair<const char*, QColor> defaults[] = {
    {"MainColor", QColor(250, 250, 250)},
    {"HelpColor", QColor(235, 240, 255)},
    {"TextColor", QColor(0, 0, 0)},
    {"EditBgndColor", QColor(255, 255, 255)},
    {"EditTextColor", QColor(0, 0, 0)},
    {"ButtonBgndColor", QColor(232, 232, 232)},
    {"ButtonTextColor", QColor(0, 0, 0)},
    {"DisabledBgndColor", QColor(192, 192, 192)},
    {"DisabledTextColor", QColor(128, 128, 128)},
    {"DisabledEditBgndColor", QColor(192, 192, 192)},
    {"DisabledEditTextColor", QColor(128, 128, 128)},
    {"HighlightBgndColor", QColor(60, 100, 150)},
    {"HighlightTextColor", QColor(255, 255, 255)},
};

ScreenMetrics screen(int width, int height, int dpi = 96)
{
    ScreenMetrics metrics;
    metrics.width = width;
    metrics.height = height;
    metrics.availableGeometry = QRect(0, 0, width, height - 40);
    metrics.dpi = dpi;
    return metrics;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& content)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return {};
    return path;
}

} // namespace

class TstStyleTemplate : public QObject
{
    Q_OBJECT

private slots:
    void withoutStyleFileKeepsDefaults();
    void onlyTextColorChangesOnlyThat();
    void parseErrorKeepsDefaultsAndReportsNotLoaded();
    void deepFileIsNotLoaded();
    void onlyARegularFileIsRead();
    void polishFillsThePalette();
    void missingBackgroundIsMainColorTile();
    void layoutsScaleToInjectedScreen();
    void layoutsStartFromPolishedPalette();
    void shippedStyleFileLoads();
    void isNotTheApplicationStyle();
    void instancePointerFollowsLifetime();
};

void TstStyleTemplate::withoutStyleFileKeepsDefaults()
{
    bool loaded = true;
    StyleTemplate style(QStringLiteral("/nonexistent/"), QString(), &loaded, screen(1280, 1024));
    QVERIFY(!loaded);
    QVERIFY(!style.hasStyleFile());
    for (const auto& [name, colour] : defaults)
        QCOMPARE(style.namedColor(QLatin1String(name)), colour);
    QVERIFY(!style.namedColor(QStringLiteral("NoSuchColor")).isValid());
    QWidget window;
    window.resize(50, 60);
    QVERIFY(style.applyLayout(&window, QStringLiteral("DlgMessage")).isEmpty());
    QCOMPARE(window.size(), QSize(50, 60));

    loaded = true;
    StyleTemplate unreadable(QString(), QStringLiteral("/nonexistent/TolvoTool.sty"), &loaded, screen(1280, 1024));
    QVERIFY(!loaded);
    QVERIFY(!unreadable.hasStyleFile());
}

void TstStyleTemplate::onlyTextColorChangesOnlyThat()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("t.sty"),
                                   "<style><colors><color name=\"TextColor\">#123456</color></colors></style>");
    bool loaded = false;
    StyleTemplate style(dir.path() + QLatin1Char('/'), path, &loaded, screen(1280, 1024));
    QVERIFY(loaded);
    for (const auto& [name, colour] : defaults) {
        const QColor expected = qstrcmp(name, "TextColor") == 0 ? QColor(0x12, 0x34, 0x56) : colour;
        QCOMPARE(style.namedColor(QLatin1String(name)), expected);
    }
    QPalette palette;
    style.polish(palette);
    QCOMPARE(palette.color(QPalette::Active, QPalette::WindowText), QColor(0x12, 0x34, 0x56));
    QCOMPARE(palette.color(QPalette::Active, QPalette::Text), QColor(0, 0, 0));
}

void TstStyleTemplate::parseErrorKeepsDefaultsAndReportsNotLoaded()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("t.sty"),
                                   "<style><colors><color name=\"TextColor\">#123456</color></colors><oops></style>");
    bool loaded = true;
    StyleTemplate style(QString(), path, &loaded, screen(1280, 1024));
    QVERIFY(!loaded);
    QVERIFY(style.hasStyleFile());
    QCOMPARE(style.namedColor(QStringLiteral("TextColor")), QColor(0, 0, 0));
}

void TstStyleTemplate::deepFileIsNotLoaded()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("deep.sty"),
                                   "<style><layouts>" + QByteArray("<widget>").repeated(20000)
                                       + QByteArray("</widget>").repeated(20000) + "</layouts></style>");
    bool loaded = true;
    StyleTemplate style(QString(), path, &loaded, screen(1280, 1024));
    QVERIFY(!loaded);
}

void TstStyleTemplate::onlyARegularFileIsRead()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("TolvoTool.sty"));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    bool loaded = true;
    StyleTemplate style(QString(), path, &loaded, screen(1280, 1024));
    QVERIFY(!loaded);
    QVERIFY(!style.hasStyleFile());
}

void TstStyleTemplate::polishFillsThePalette()
{
    bool loaded = false;
    StyleTemplate style(resourceDir + QStringLiteral("images/"), resourceDir + QStringLiteral("TolvoTool.sty"),
                        &loaded, screen(1280, 1024));
    QVERIFY(loaded);
    QPalette palette;
    style.polish(palette);
    const auto named = [&style](const char* name) { return style.namedColor(QLatin1String(name)); };
    const struct {
        QPalette::ColorRole role;
        const char* all;
        const char* disabled;
    } rows[] = {
        {QPalette::WindowText, "TextColor", "DisabledTextColor"},
        {QPalette::Base, "EditBgndColor", "DisabledBgndColor"},
        {QPalette::AlternateBase, "HelpColor", "DisabledBgndColor"},
        {QPalette::Text, "EditTextColor", "DisabledTextColor"},
        {QPalette::Button, "ButtonBgndColor", "DisabledBgndColor"},
        {QPalette::ButtonText, "ButtonTextColor", "DisabledTextColor"},
        {QPalette::Highlight, "HighlightBgndColor", "HighlightBgndColor"},
        {QPalette::HighlightedText, "HighlightTextColor", "HighlightTextColor"},
    };
    for (const auto& row : rows) {
        QCOMPARE(palette.color(QPalette::Active, row.role), named(row.all));
        QCOMPARE(palette.color(QPalette::Inactive, row.role), named(row.all));
        QCOMPARE(palette.color(QPalette::Disabled, row.role), named(row.disabled));
    }
    const QBrush window = palette.brush(QPalette::Active, QPalette::Window);
    QCOMPARE(window.color(), named("HelpColor"));
    QCOMPARE(window.style(), Qt::TexturePattern);
    QCOMPARE(window.texture().size(), style.backgroundPicture().size());
    QCOMPARE(style.backgroundPicture().size(), QSize(1024, 768));
    QCOMPARE(palette.color(QPalette::Disabled, QPalette::Window), named("DisabledBgndColor"));
    QVERIFY(style.listHeaderPicture());
}

void TstStyleTemplate::missingBackgroundIsMainColorTile()
{
    bool loaded = false;
    StyleTemplate style(QStringLiteral("/nonexistent/"), QString(), &loaded, screen(1280, 1024));
    QCOMPARE(style.backgroundPicture().size(), QSize(32, 32));
    const QImage tile = style.backgroundPicture().toImage();
    QCOMPARE(tile.pixelColor(0, 0), QColor(250, 250, 250));
    QCOMPARE(tile.pixelColor(31, 31), QColor(250, 250, 250));
    QVERIFY(!style.listHeaderPicture());
    QPalette palette;
    style.polish(palette);
    QCOMPARE(palette.brush(QPalette::Window).color(), QColor(235, 240, 255));
    QCOMPARE(palette.brush(QPalette::Window).texture().toImage().pixelColor(5, 5), QColor(250, 250, 250));
}

void TstStyleTemplate::layoutsScaleToInjectedScreen()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("t.sty"), R"(<style>
      <resolution><xPix>640</xPix><yPix>512</yPix></resolution>
      <fonts><font name="Ten"><pointsize>10</pointsize></font></fonts>
      <layouts><widget class="QDialog" name="L"><string>Scaled</string>
        <rect><x>0</x><y>0</y><width>200</width><height>100</height></rect>
        <widget class="QLabel" name="label" font="Ten">
          <rect><x>10</x><y>20</y><width>100</width><height>30</height></rect></widget>
      </widget></layouts></style>)");
    bool loaded = false;
    StyleTemplate style(QString(), path, &loaded, screen(1280, 1024, 120));
    QVERIFY(loaded);
    QCOMPARE(style.screen().availableGeometry, QRect(0, 0, 1280, 984));
    QWidget window;
    auto* label = new QLabel(&window);
    label->setObjectName(QStringLiteral("label"));
    QCOMPARE(style.applyLayout(&window, QStringLiteral("L")), QStringLiteral("Scaled"));
    QCOMPARE(window.size(), QSize(400, 200));
    QCOMPARE(label->geometry(), QRect(20, 40, 200, 60));
    // 10 pt, twice the design height, 120 dpi: 10 * 2 * 96 / 120 = 16.
    QCOMPARE(label->font().pointSize(), 16);
}

void TstStyleTemplate::layoutsStartFromPolishedPalette()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("t.sty"), R"(<style>
      <colors><color name="EditBgndColor">#abcdef</color></colors>
      <layouts><widget class="QDialog" name="L"><widget class="QListWidget" name="list"/></widget></layouts>
      </style>)");
    bool loaded = false;
    StyleTemplate style(QString(), path, &loaded, screen(1280, 1024));
    QVERIFY(loaded);
    QWidget window;
    auto* list = new QWidget(&window);
    list->setObjectName(QStringLiteral("list"));
    auto* other = new QLabel(&window);
    other->setObjectName(QStringLiteral("list"));
    style.applyLayout(&window, QStringLiteral("L"));
    // Only a list widget of that name would take the palette.
    QVERIFY(list->palette().color(QPalette::Base) != QColor(0xab, 0xcd, 0xef));

    QWidget second;
    QWidget* realList = new QListWidget(&second);
    realList->setObjectName(QStringLiteral("list"));
    style.applyLayout(&second, QStringLiteral("L"));
    QCOMPARE(realList->palette().color(QPalette::Base), QColor(0xab, 0xcd, 0xef));
    QCOMPARE(realList->palette().brush(QPalette::Window).color(), QColor(235, 240, 255));
}

void TstStyleTemplate::shippedStyleFileLoads()
{
    bool loaded = false;
    StyleTemplate style(resourceDir + QStringLiteral("images/"), resourceDir + QStringLiteral("TolvoTool.sty"),
                        &loaded, screen(1280, 1024));
    QVERIFY(loaded);
    // The shipped file names every palette colour itself.
    QorbXmlMachine machine;
    QFile file(resourceDir + QStringLiteral("TolvoTool.sty"));
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    QXmlInputSource source(&file);
    QXmlSimpleReader reader;
    reader.setContentHandler(&machine);
    QVERIFY(reader.parse(&source, false));
    for (const auto& [name, colour] : defaults) {
        const auto fromFile = machine.color(QLatin1String(name), true);
        QVERIFY2(fromFile, name);
        QCOMPARE(style.namedColor(QLatin1String(name)), *fromFile);
    }
    QWidget window;
    QCOMPARE(style.applyLayout(&window, QStringLiteral("DlgMessage")), QStringLiteral("Tolvo-Tool"));
    QCOMPARE(window.size(), QSize(400, 180));
    for (const char* picture : {"splash.png", "backgrounds/bgMain.png", "backgrounds/bgListHeader.png",
                                "question.png", "info.png", "warning.png", "error.png", "logo.PNG", "tlterm.png"})
        QVERIFY2(!QPixmap(style.styleDirectory() + QLatin1String(picture)).isNull(), picture);
}

void TstStyleTemplate::isNotTheApplicationStyle()
{
    const QString before = QApplication::style()->name();
    bool loaded = false;
    StyleTemplate style(QString(), QString(), &loaded, screen(1280, 1024));
    QVERIFY(QApplication::style() != &style);
    QCOMPARE(QApplication::style()->name(), before);
}

void TstStyleTemplate::instancePointerFollowsLifetime()
{
    QVERIFY(!StyleTemplate::instance());
    {
        bool loaded = false;
        StyleTemplate style(QString(), QString(), &loaded, ScreenMetrics::fromPrimaryScreen());
        StyleTemplate::setInstance(&style);
        QCOMPARE(StyleTemplate::instance(), &style);
        QVERIFY(style.screen().width > 0);
        QVERIFY(style.screen().dpi > 0);
    }
    QVERIFY(!StyleTemplate::instance());
}

QTEST_MAIN(TstStyleTemplate)
#include "tst_styletemplate.moc"
