#include "ui/qorbxmlmachine.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLCDNumber>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBox>
#include <QTreeWidget>
#include <QXmlInputSource>
#include <QXmlSimpleReader>

#include <climits>

namespace {

bool parse(QorbXmlMachine& machine, const QByteArray& xml)
{
    QBuffer buffer;
    buffer.setData(xml);
    buffer.open(QIODevice::ReadOnly);
    QXmlInputSource source(&buffer);
    QXmlSimpleReader reader;
    reader.setContentHandler(&machine);
    reader.setErrorHandler(&machine);
    return reader.parse(&source, false);
}

QByteArray styleFile(const QByteArray& body)
{
    return "<?xml version=\"1.0\"?>\n<style>\n" + body + "\n</style>\n";
}

QByteArray rect(int x, int y, int w, int h)
{
    return QStringLiteral("<rect><x>%1</x><y>%2</y><width>%3</width><height>%4</height></rect>")
        .arg(x).arg(y).arg(w).arg(h).toLatin1();
}

const QByteArray colours = R"(
<colors>
  <color name="Fg">#102030</color>
  <color name="Bg">#a0b0c0</color>
  <color name="DisabledTextColor">#111111</color>
  <color name="DisabledBgndColor">#222222</color>
  <color name="DisabledEditTextColor">#333333</color>
  <color name="DisabledEditBgndColor">#444444</color>
</colors>
<fonts><font name="Big"><family>DejaVu Sans</family><pointsize>14</pointsize></font></fonts>
)";

} // namespace

class TstQorbXmlMachine : public QObject
{
    Q_OBJECT

private slots:
    void readsNestedWidgets();
    void partsOutsideAWidgetAreIgnored();
    void scalesRectangles();
    void scalesFonts();
    void firstFontOfANameWins();
    void readsFontFlagsExactly();
    void mapsOldWeightScale();
    void looksUpColours();
    void invalidDesignResolutionKeepsScale();
    void malformedFileKeepsWhatWasRead();
    void deepNestingFailsTheFile_data();
    void deepNestingFailsTheFile();
    void absurdNumbersStaySane_data();
    void absurdNumbersStaySane();
    void appliesLayoutToWindow();
    void unknownLayoutChangesNothing();
    void everyClassNamePlacesItsWidget_data();
    void everyClassNamePlacesItsWidget();
    void buttonsAndLabelsTakeCaptionFontAndColours();
    void editsTakeTheirPalettes();
    void treesTakeHeadersAndPicture();
    void containersAndPlainWidgets();
    void groupFrameGradient();
};

void TstQorbXmlMachine::readsNestedWidgets()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile(R"(<layouts>
      <widget class="QDialog" name="Dlg"><string>Title</string>)" + rect(0, 0, 300, 200) + R"(
        <widget class="QFrame" name="frame">
          <widget class="QLabel" name="label" font="F" colors="A;B"><string>Hello</string>)" + rect(10, 20, 100, 30) + R"(</widget>
        </widget>
        <widget class="QPushButton" name="ok"/>
      </widget>
      <widget class="QDialog" name="Second"/>
    </layouts>)")));

    const auto& layouts = machine.layouts();
    QCOMPARE(layouts.size(), std::size_t(2));
    const auto& dialog = *layouts.at(0);
    QCOMPARE(dialog.name, QStringLiteral("Dlg"));
    QCOMPARE(dialog.caption, QStringLiteral("Title"));
    QCOMPARE(dialog.rect, QStringLiteral("0, 0, 300, 200"));
    QCOMPARE(dialog.children.size(), std::size_t(2));
    const auto& label = *dialog.children.at(0)->children.at(0);
    QCOMPARE(label.className, QStringLiteral("QLabel"));
    QCOMPARE(label.caption, QStringLiteral("Hello"));
    QCOMPARE(label.rect, QStringLiteral("10, 20, 100, 30"));
    QCOMPARE(label.fontName, QStringLiteral("F"));
    QCOMPARE(label.colors, QStringLiteral("A;B"));
    QCOMPARE(dialog.children.at(1)->name, QStringLiteral("ok"));
    QVERIFY(dialog.children.at(1)->colors.isEmpty());
    QCOMPARE(layouts.at(1)->name, QStringLiteral("Second"));
}

void TstQorbXmlMachine::partsOutsideAWidgetAreIgnored()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile("<layouts><string>stray</string>" + rect(1, 2, 3, 4)
                                     + "<widget class=\"QLabel\" name=\"a\"></widget></layouts>")));
    QCOMPARE(machine.layouts().size(), std::size_t(1));
    QVERIFY(machine.layouts().at(0)->caption.isEmpty());
    QVERIFY(machine.layouts().at(0)->rect.isEmpty());
}

void TstQorbXmlMachine::scalesRectangles()
{
    QorbXmlMachine machine;
    machine.setScreen(1280, 1024, 96);
    QVERIFY(parse(machine, styleFile("<resolution><xPix>640</xPix><yPix>512</yPix></resolution>")));
    QCOMPARE(machine.xScale(), 2.0);
    QCOMPARE(machine.yScale(), 2.0);
    QVERIFY(machine.parseRect(QStringLiteral("10, 20, 100, 30"), machine.xScale(), machine.yScale()));
    QCOMPARE(machine.rect(), QRect(20, 40, 200, 60));

    // Positions are rounded, sizes truncated.
    QVERIFY(machine.parseRect(QStringLiteral(" 3,3 , 3, 3 "), 1.5, 1.5));
    QCOMPARE(machine.rect(), QRect(5, 5, 4, 4));

    // Floating-point scale: 1024 on a 768 design is not 1.
    QorbXmlMachine odd;
    odd.setScreen(1024, 768, 96);
    QVERIFY(parse(odd, styleFile("<resolution><xPix>768</xPix><yPix>1024</yPix></resolution>")));
    QCOMPARE(odd.xScale(), 1024.0 / 768.0);
    QCOMPARE(odd.yScale(), 0.75);

    // Huge numbers are held to the screen instead of overflowing.
    QVERIFY(machine.parseRect(QStringLiteral("2147483647, -2147483648, 2147483647, 9"), 4.0, 1.0));
    QCOMPARE(machine.rect(), QRect(1280, -1024, 1280, 9));
    QorbXmlMachine huge;
    QVERIFY(parse(huge, styleFile("<layouts><widget name=\"h\">" + rect(INT_MAX, 0, INT_MAX, 1)
                                  + "</widget></layouts>")));
    QCOMPARE(huge.layouts().at(0)->rect, QStringLiteral("2147483647, 0, 1, 1"));

    QVERIFY(!machine.parseRect(QString(), 1.0, 1.0));
    QVERIFY(!machine.parseRect(QStringLiteral("1, 2, 3"), 1.0, 1.0));
    QVERIFY(machine.parseRect(QStringLiteral("3, 3, 3, 3"), 1.5, 1.5));
    QCOMPARE(machine.rect(), QRect(5, 5, 4, 4));
}

void TstQorbXmlMachine::scalesFonts()
{
    QorbXmlMachine machine;
    machine.setScreen(1280, 1024, 120);
    QVERIFY(parse(machine, styleFile(R"(<fonts>
      <font name="Ten"><pointsize>10</pointsize></font>
      <font name="Tiny"><pointsize>1</pointsize></font></fonts>)")));
    QCOMPARE(machine.font(QStringLiteral("Ten")).pointSize(), 8);

    QorbXmlMachine dense;
    dense.setScreen(1280, 1024, 400);
    QVERIFY(parse(dense, styleFile("<fonts><font name=\"Tiny\"><pointsize>1</pointsize></font></fonts>")));
    QCOMPARE(dense.font(QStringLiteral("Tiny")).pointSize(), 1);

    // Unknown names give the default font, scaled the same way.
    QorbXmlMachine plain;
    plain.setScreen(1280, 1024, 96);
    const QFont fallback = plain.font(QStringLiteral("Nope"));
    QCOMPARE(fallback.family(), QStringLiteral("Tahoma"));
    QCOMPARE(fallback.pointSize(), 11);
    QCOMPARE(fallback.weight(), QFont::Normal);

    // yScale takes part: 10 pt on a 512-line design shown on 1024 lines.
    QorbXmlMachine tall;
    tall.setScreen(1280, 1024, 96);
    QVERIFY(parse(tall, styleFile("<resolution><yPix>512</yPix></resolution>"
                                  "<fonts><font name=\"Ten\"><pointsize>10</pointsize></font></fonts>")));
    QCOMPARE(tall.font(QStringLiteral("Ten")).pointSize(), 20);
}

void TstQorbXmlMachine::firstFontOfANameWins()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile(R"(<fonts>
      <font name="Same"><family>First</family><pointsize>12</pointsize></font>
      <font name="Same"><family>Second</family><pointsize>20</pointsize></font></fonts>)")));
    const QFont font = machine.font(QStringLiteral("Same"));
    QCOMPARE(font.family(), QStringLiteral("First"));
    QCOMPARE(font.pointSize(), 12);
}

void TstQorbXmlMachine::readsFontFlagsExactly()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile(R"(<fonts>
      <font name="Capital"><bold>True</bold><italic>TRUE</italic></font>
      <font name="Lower"><bold>true</bold><italic>true</italic><underline> true </underline><strikeout>true</strikeout></font>
      <font name="Off"><weight>75</weight><bold>false</bold></font></fonts>)")));
    const QFont capital = machine.font(QStringLiteral("Capital"));
    QCOMPARE(capital.weight(), QFont::Normal);
    QVERIFY(!capital.italic());
    const QFont lower = machine.font(QStringLiteral("Lower"));
    QCOMPARE(lower.weight(), QFont::Bold);
    QVERIFY(lower.italic());
    QVERIFY(lower.underline());
    QVERIFY(lower.strikeOut());
    QCOMPARE(machine.font(QStringLiteral("Off")).weight(), QFont::Normal);
}

void TstQorbXmlMachine::mapsOldWeightScale()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile(R"(<fonts>
      <font name="w50"><weight>50</weight></font>
      <font name="w63"><weight>63</weight></font>
      <font name="w75"><weight>75</weight></font>
      <font name="w99"><weight>99</weight></font>
      <font name="w0"><weight>x</weight></font></fonts>)")));
    QCOMPARE(machine.font(QStringLiteral("w50")).weight(), QFont::Normal);
    QCOMPARE(machine.font(QStringLiteral("w63")).weight(), QFont::DemiBold);
    QCOMPARE(machine.font(QStringLiteral("w75")).weight(), QFont::Bold);
    QCOMPARE(machine.font(QStringLiteral("w99")).weight(), QFont::Black);
    QCOMPARE(machine.font(QStringLiteral("w0")).weight(), QFont::Thin);
}

void TstQorbXmlMachine::looksUpColours()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile(R"(<colors>
      <color name="Red">#ff0000</color>
      <color name="Blue"> blue </color>
      <color name="Red">#00ff00</color>
      <color name="Broken">no-such-colour</color></colors>)")));
    QCOMPARE(*machine.color(QStringLiteral("Red"), true), QColor(255, 0, 0));
    QCOMPARE(*machine.color(QStringLiteral("Blue"), true), QColor(Qt::blue));
    QVERIFY(!machine.color(QStringLiteral("Missing"), true));
    QCOMPARE(*machine.color(QStringLiteral("Missing"), false), QColor(Qt::magenta));
    QVERIFY(!machine.color(QStringLiteral("Broken"), true));

    const auto one = machine.parseColors(QStringLiteral("Red"));
    QCOMPARE(*one.foreground, QColor(255, 0, 0));
    QVERIFY(!one.background);
    const auto two = machine.parseColors(QStringLiteral("Red;Blue"));
    QCOMPARE(*two.foreground, QColor(255, 0, 0));
    QCOMPARE(*two.background, QColor(Qt::blue));
    const auto unknownForeground = machine.parseColors(QStringLiteral("Nope;Blue"));
    QVERIFY(!unknownForeground.foreground);
    QCOMPARE(*unknownForeground.background, QColor(Qt::blue));
    const auto three = machine.parseColors(QStringLiteral("Red;Blue;Red"));
    QVERIFY(!three.foreground && !three.background);
}

void TstQorbXmlMachine::invalidDesignResolutionKeepsScale()
{
    QorbXmlMachine machine;
    machine.setScreen(1280, 1024, 96);
    QVERIFY(parse(machine, styleFile("<resolution><xPix>0</xPix><yPix>abc</yPix></resolution>")));
    QCOMPARE(machine.xScale(), 1.0);
    QCOMPARE(machine.yScale(), 1.0);
    QVERIFY(parse(machine, styleFile("<resolution><xPix>-5</xPix><yPix>2048</yPix></resolution>")));
    QCOMPARE(machine.xScale(), 1.0);
    QCOMPARE(machine.yScale(), 0.5);
}

void TstQorbXmlMachine::malformedFileKeepsWhatWasRead()
{
    QorbXmlMachine machine;
    QVERIFY(!parse(machine, styleFile(R"(<colors><color name="Kept">#123456</color></colors>
      <layouts><widget class="QLabel" name="w"><string>x</string></widget>
      <fonts><font name="Broken"></fonts>)")));
    QCOMPARE(*machine.color(QStringLiteral("Kept"), true), QColor(0x12, 0x34, 0x56));
    QCOMPARE(machine.layouts().size(), std::size_t(1));
    QCOMPARE(machine.layouts().at(0)->caption, QStringLiteral("x"));
}

void TstQorbXmlMachine::deepNestingFailsTheFile_data()
{
    QTest::addColumn<int>("depth"); // widgets inside the root element
    QTest::addColumn<bool>("parsed");
    QTest::newRow("at the limit") << QorbXmlMachine::MaxDepth - 2 << true;
    QTest::newRow("one above") << QorbXmlMachine::MaxDepth - 1 << false;
    QTest::newRow("20000 levels") << 20000 << false;
}

void TstQorbXmlMachine::deepNestingFailsTheFile()
{
    QFETCH(int, depth);
    QFETCH(bool, parsed);
    QByteArray widgets;
    for (int i = 0; i < depth; ++i)
        widgets += "<widget name=\"w\">";
    for (int i = 0; i < depth; ++i)
        widgets += "</widget>";
    QorbXmlMachine machine;
    if (!parsed)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("nested deeper than 256 levels")));
    // <style><layouts> ... : the root and the section add two levels.
    QCOMPARE(parse(machine, styleFile("<layouts>" + widgets + "</layouts>")), parsed);
}

void TstQorbXmlMachine::absurdNumbersStaySane_data()
{
    QTest::addColumn<QByteArray>("resolution");
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<QByteArray>("box"); // x, y, width, height in design pixels
    QTest::addColumn<QSize>("size");      // of the window on a 1280 x 1024 screen
    QTest::addColumn<int>("scaledPoints");

    QTest::newRow("tiny design, huge box") << QByteArray("<xPix>1</xPix><yPix>1</yPix>") << 10
                                           << QByteArray("0, 0, 2147483647, 2147483647") << QSize(1280, 1024)
                                           << QorbXmlMachine::MaxPointSize;
    QTest::newRow("huge design") << QByteArray("<xPix>1000000</xPix><yPix>1000000</yPix>") << 10
                                 << QByteArray("0, 0, 400, 320") << QSize(25, 20) << 1;
    QTest::newRow("huge point size") << QByteArray("<xPix>1280</xPix><yPix>1024</yPix>") << 100000
                                     << QByteArray("0, 0, 400, 300") << QSize(400, 300)
                                     << QorbXmlMachine::MaxPointSize;
    QTest::newRow("ordinary") << QByteArray("<xPix>640</xPix><yPix>512</yPix>") << 10
                              << QByteArray("0, 0, 400, 300") << QSize(800, 600) << 20;
}

void TstQorbXmlMachine::absurdNumbersStaySane()
{
    QFETCH(QByteArray, resolution);
    QFETCH(int, pointSize);
    QFETCH(QByteArray, box);
    QFETCH(QSize, size);
    QFETCH(int, scaledPoints);
    const QList<QByteArray> numbers = box.split(',');
    QorbXmlMachine machine;
    machine.setScreen(1280, 1024, 96);
    QVERIFY(parse(machine, styleFile("<resolution>" + resolution + "</resolution>"
                                     "<fonts><font name=\"F\"><pointsize>" + QByteArray::number(pointSize)
                                     + "</pointsize></font></fonts><layouts><widget name=\"Box\">"
                                     + rect(numbers[0].trimmed().toInt(), numbers[1].trimmed().toInt(),
                                            numbers[2].trimmed().toInt(), numbers[3].trimmed().toInt())
                                     + "</widget></layouts>")));
    QVERIFY(machine.xScale() >= QorbXmlMachine::MinScale && machine.xScale() <= QorbXmlMachine::MaxScale);
    QVERIFY(machine.yScale() >= QorbXmlMachine::MinScale && machine.yScale() <= QorbXmlMachine::MaxScale);
    QWidget window;
    machine.applyLayout(&window, QStringLiteral("Box"), 1.0, 1.0);
    QCOMPARE(window.size(), size);
    QCOMPARE(machine.font(QStringLiteral("F")).pointSize(), scaledPoints);
}

void TstQorbXmlMachine::appliesLayoutToWindow()
{
    QorbXmlMachine machine;
    machine.setScreen(1280, 1024, 96);
    QVERIFY(parse(machine, styleFile("<resolution><xPix>640</xPix><yPix>512</yPix></resolution><layouts>"
                                     "<widget class=\"QDialog\" name=\"Dlg\"><string>Caption</string>"
                                     + rect(0, 0, 150, 100)
                                     + "<widget class=\"QLabel\" name=\"label\">" + rect(10, 20, 100, 30)
                                     + "</widget><widget class=\"QLabel\" name=\"absent\">" + rect(1, 1, 1, 1)
                                     + "</widget><widget class=\"QLabel\" name=\"\">" + rect(1, 1, 1, 1)
                                     + "</widget></widget></layouts>")));
    QWidget window;
    window.move(33, 44);
    auto* label = new QLabel(&window);
    label->setObjectName(QStringLiteral("label"));
    auto* unnamed = new QLabel(&window);
    unnamed->setGeometry(7, 7, 7, 7);

    QCOMPARE(machine.applyLayout(&window, QStringLiteral("Dlg"), 1.0, 1.0), QStringLiteral("Caption"));
    QCOMPARE(window.size(), QSize(300, 200));
    QCOMPARE(window.pos(), QPoint(33, 44));
    QCOMPARE(label->geometry(), QRect(20, 40, 200, 60));
    QCOMPARE(unnamed->geometry(), QRect(7, 7, 7, 7));

    // Extra factors multiply the screen scale.
    QCOMPARE(machine.applyLayout(&window, QStringLiteral("Dlg"), 0.5, 1.0), QStringLiteral("Caption"));
    QCOMPARE(label->geometry(), QRect(10, 40, 100, 60));

    QVERIFY(machine.applyLayout(nullptr, QStringLiteral("Dlg"), 1.0, 1.0).isEmpty());
}

void TstQorbXmlMachine::unknownLayoutChangesNothing()
{
    QorbXmlMachine machine;
    QVERIFY(parse(machine, styleFile("<layouts><widget class=\"QDialog\" name=\"Dlg\"><string>C</string>"
                                     + rect(0, 0, 50, 50) + "</widget></layouts>")));
    QWidget window;
    window.resize(123, 77);
    QVERIFY(machine.applyLayout(&window, QStringLiteral("Other"), 1.0, 1.0).isEmpty());
    QCOMPARE(window.size(), QSize(123, 77));
}

void TstQorbXmlMachine::everyClassNamePlacesItsWidget_data()
{
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("widgetClass");
    const std::pair<const char*, const char*> rows[] = {
        {"QPushButton", "QPushButton"}, {"QorbPushButton", "QPushButton"}, {"QorbFormButton", "QPushButton"},
        {"QorbImageButton", "QPushButton"}, {"QorbToolBoxButton", "QPushButton"},
        {"QLabel", "QLabel"}, {"QorbLabel", "QLabel"}, {"QorbGraphHeader", "QLabel"},
        {"QRadioButton", "QRadioButton"}, {"QorbRadioButton", "QRadioButton"},
        {"QCheckBox", "QCheckBox"}, {"QorbCheckBox", "QCheckBox"},
        {"QComboBox", "QComboBox"}, {"QorbComboBox", "QComboBox"},
        {"QLineEdit", "QLineEdit"}, {"QorbLineEdit", "QLineEdit"},
        {"QTextEdit", "QTextEdit"}, {"QorbTextEdit", "QTextEdit"},
        {"QTreeWidget", "QTreeWidget"}, {"QorbTreeWidget", "QTreeWidget"}, {"QorbDropDownTree", "QTreeWidget"},
        {"QListWidget", "QListWidget"}, {"QorbListWidget", "QListWidget"},
        {"QProgressBar", "QProgressBar"}, {"QorbProgressBar", "QProgressBar"},
        {"QGroupBox", "QGroupBox"}, {"QorbGroupBox", "QFrame"},
        {"QSlider", "QSlider"}, {"QLCDNumber", "QLCDNumber"}, {"QorbToolBox", "QFrame"},
        {"QToolBox", "QToolBox"}, {"QTabWidget", "QTabWidget"}, {"QStackedWidget", "QStackedWidget"},
        {"QWidget", "QWidget"}, {"SomethingElse", "QWidget"},
    };
    for (const auto& [className, widgetClass] : rows)
        QTest::newRow(className) << QString::fromLatin1(className) << QString::fromLatin1(widgetClass);
}

namespace {

std::unique_ptr<QWidget> makeWidget(const QString& widgetClass)
{
    if (widgetClass == QLatin1String("QPushButton")) return std::make_unique<QPushButton>();
    if (widgetClass == QLatin1String("QLabel")) return std::make_unique<QLabel>();
    if (widgetClass == QLatin1String("QRadioButton")) return std::make_unique<QRadioButton>();
    if (widgetClass == QLatin1String("QCheckBox")) return std::make_unique<QCheckBox>();
    if (widgetClass == QLatin1String("QComboBox")) return std::make_unique<QComboBox>();
    if (widgetClass == QLatin1String("QLineEdit")) return std::make_unique<QLineEdit>();
    if (widgetClass == QLatin1String("QTextEdit")) return std::make_unique<QTextEdit>();
    if (widgetClass == QLatin1String("QTreeWidget")) return std::make_unique<QTreeWidget>();
    if (widgetClass == QLatin1String("QListWidget")) return std::make_unique<QListWidget>();
    if (widgetClass == QLatin1String("QProgressBar")) return std::make_unique<QProgressBar>();
    if (widgetClass == QLatin1String("QGroupBox")) return std::make_unique<QGroupBox>();
    if (widgetClass == QLatin1String("QFrame")) return std::make_unique<QFrame>();
    if (widgetClass == QLatin1String("QSlider")) return std::make_unique<QSlider>();
    if (widgetClass == QLatin1String("QLCDNumber")) return std::make_unique<QLCDNumber>();
    if (widgetClass == QLatin1String("QToolBox")) return std::make_unique<QToolBox>();
    if (widgetClass == QLatin1String("QTabWidget")) return std::make_unique<QTabWidget>();
    if (widgetClass == QLatin1String("QStackedWidget")) return std::make_unique<QStackedWidget>();
    return std::make_unique<QWidget>();
}

// One window holding one widget named "w", laid out by a one-child layout.
struct Fixture {
    QorbXmlMachine machine;
    QWidget window;

    bool load(const QString& className, const QByteArray& attributes = {}, const QByteArray& inner = {})
    {
        machine.setScreen(1280, 1024, 96);
        return parse(machine, styleFile(colours + "<layouts><widget class=\"QDialog\" name=\"L\">"
                                        + "<widget class=\"" + className.toLatin1() + "\" name=\"w\" "
                                        + attributes + ">" + rect(5, 6, 70, 40) + inner
                                        + "</widget></widget></layouts>"));
    }
    template <typename T>
    T* add()
    {
        auto* widget = new T(&window);
        widget->setObjectName(QStringLiteral("w"));
        return widget;
    }
    void apply() { machine.applyLayout(&window, QStringLiteral("L"), 1.0, 1.0); }
};

const QColor fg(0x10, 0x20, 0x30);
const QColor bg(0xa0, 0xb0, 0xc0);

} // namespace

void TstQorbXmlMachine::everyClassNamePlacesItsWidget()
{
    QFETCH(QString, className);
    QFETCH(QString, widgetClass);
    Fixture fixture;
    QVERIFY(fixture.load(className, "font=\"Big\""));
    std::unique_ptr<QWidget> owned = makeWidget(widgetClass);
    QWidget* widget = owned.release();
    widget->setParent(&fixture.window);
    widget->setObjectName(QStringLiteral("w"));
    // A widget of another class with the same name must not be taken instead.
    if (widgetClass != QLatin1String("QWidget")) {
        auto* decoy = new QWidget(&fixture.window);
        decoy->setObjectName(QStringLiteral("w"));
        decoy->setGeometry(1, 1, 1, 1);
        fixture.apply();
        QCOMPARE(decoy->geometry(), QRect(1, 1, 1, 1));
    } else {
        fixture.apply();
    }
    QCOMPARE(widget->geometry(), QRect(5, 6, 70, 40));
    const bool noFont = className == QLatin1String("QorbGroupBox") || className == QLatin1String("QSlider")
                     || className == QLatin1String("QLCDNumber") || className == QLatin1String("QorbToolBox");
    QCOMPARE(widget->font().pointSize() == 14, !noFont);
}

void TstQorbXmlMachine::buttonsAndLabelsTakeCaptionFontAndColours()
{
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbPushButton"), "font=\"Big\" colors=\"Fg;Bg\"",
                             "<string>Press</string>"));
        auto* button = fixture.add<QPushButton>();
        fixture.apply();
        QCOMPARE(button->text(), QStringLiteral("Press"));
        QVERIFY(button->autoDefault());
        QCOMPARE(button->minimumSize(), QSize(70, 40));
        QCOMPARE(button->maximumSize(), QSize(70, 40));
        QCOMPARE(button->font().family(), QStringLiteral("DejaVu Sans"));
        const QPalette palette = button->palette();
        QCOMPARE(palette.color(QPalette::Active, QPalette::ButtonText), fg);
        QCOMPARE(palette.color(QPalette::Inactive, QPalette::ButtonText), fg);
        QCOMPARE(palette.color(QPalette::Disabled, QPalette::ButtonText), QColor(0x11, 0x11, 0x11));
        QCOMPARE(palette.color(QPalette::Active, QPalette::Button), bg);
        QCOMPARE(palette.color(QPalette::Disabled, QPalette::Button), QColor(0x22, 0x22, 0x22));
    }
    {
        // Foreground only: the button colour stays that of the base palette.
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QLabel"), "colors=\"Fg\"", "<string>Text</string>"));
        auto* label = fixture.add<QLabel>();
        const QColor windowBefore = label->palette().color(QPalette::Window);
        fixture.apply();
        QCOMPARE(label->text(), QStringLiteral("Text"));
        QCOMPARE(label->palette().color(QPalette::WindowText), fg);
        QCOMPARE(label->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0x11, 0x11, 0x11));
        QCOMPARE(label->palette().color(QPalette::Window), windowBefore);
        QVERIFY(!label->autoFillBackground());
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbLabel"), "colors=\"Fg;Bg\""));
        auto* label = fixture.add<QLabel>();
        fixture.apply();
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->palette().color(QPalette::Window), bg);
        QCOMPARE(label->palette().color(QPalette::Disabled, QPalette::Window), QColor(0x22, 0x22, 0x22));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QRadioButton"), {}, "<string>Radio</string>"));
        auto* radio = fixture.add<QRadioButton>();
        fixture.apply();
        QCOMPARE(radio->text(), QStringLiteral("Radio"));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbCheckBox"), {}, "<string>Check</string>"));
        auto* check = fixture.add<QCheckBox>();
        fixture.apply();
        QCOMPARE(check->text(), QStringLiteral("Check"));
    }
}

void TstQorbXmlMachine::editsTakeTheirPalettes()
{
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QComboBox"), "colors=\"Fg;Bg\""));
        auto* combo = fixture.add<QComboBox>();
        combo->setEditable(true);
        fixture.apply();
        for (const QPalette& palette : {combo->palette(), combo->lineEdit()->palette()}) {
            QCOMPARE(palette.color(QPalette::Text), fg);
            QCOMPARE(palette.color(QPalette::Base), bg);
            QCOMPARE(palette.color(QPalette::Disabled, QPalette::Text), QColor(0x33, 0x33, 0x33));
            QCOMPARE(palette.color(QPalette::Disabled, QPalette::Base), QColor(0x44, 0x44, 0x44));
        }
    }
    {
        // The disabled edit colours are set even without any colour given.
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbLineEdit"), {}, "<string>typed</string>"));
        auto* edit = fixture.add<QLineEdit>();
        fixture.apply();
        QCOMPARE(edit->text(), QStringLiteral("typed"));
        QCOMPARE(edit->palette().color(QPalette::Disabled, QPalette::Text), QColor(0x33, 0x33, 0x33));
        QCOMPARE(edit->palette().color(QPalette::Disabled, QPalette::Base), QColor(0x44, 0x44, 0x44));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QTextEdit"), "colors=\"Fg;Bg\""));
        auto* edit = fixture.add<QTextEdit>();
        fixture.apply();
        QCOMPARE(edit->palette().color(QPalette::Text), fg);
        QCOMPARE(edit->palette().color(QPalette::Disabled, QPalette::Text), QColor(0x11, 0x11, 0x11));
        QCOMPARE(edit->palette().color(QPalette::Base), bg);
        QCOMPARE(edit->palette().color(QPalette::Disabled, QPalette::Base), QColor(0x22, 0x22, 0x22));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbProgressBar"), "colors=\"Fg;Bg\""));
        auto* bar = fixture.add<QProgressBar>();
        fixture.apply();
        QCOMPARE(bar->palette().color(QPalette::Highlight), fg);
        QCOMPARE(bar->palette().color(QPalette::Base), bg);
    }
    {
        // A disabled colour missing from the file falls back to the default colour.
        QorbXmlMachine machine;
        QVERIFY(parse(machine, styleFile("<colors><color name=\"Fg\">#102030</color></colors><layouts>"
                                         "<widget class=\"QDialog\" name=\"L\"><widget class=\"QPushButton\" "
                                         "name=\"w\" colors=\"Fg\"/></widget></layouts>")));
        QWidget window;
        auto* button = new QPushButton(&window);
        button->setObjectName(QStringLiteral("w"));
        machine.applyLayout(&window, QStringLiteral("L"), 1.0, 1.0);
        QCOMPARE(button->palette().color(QPalette::Disabled, QPalette::ButtonText), QColor(Qt::magenta));
    }
}

void TstQorbXmlMachine::treesTakeHeadersAndPicture()
{
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbDropDownTree"), "colors=\"Fg;Bg\"", "<string>ID;Name;Value</string>"));
        QPixmap header(16, 16);
        header.fill(Qt::red);
        fixture.machine.setListHeaderPicture(&header);
        auto* tree = fixture.add<QTreeWidget>();
        fixture.apply();
        QCOMPARE(tree->columnCount(), 3);
        QCOMPARE(tree->headerItem()->text(2), QStringLiteral("Value"));
        QCOMPARE(tree->frameStyle(), int(QFrame::Box | QFrame::Plain));
        const QBrush button = tree->palette().brush(QPalette::Button);
        QCOMPARE(button.color(), bg);
        QCOMPARE(button.texture().size(), QSize(1280, 40));
        QCOMPARE(tree->palette().color(QPalette::ButtonText), fg);
        QCOMPARE(tree->palette().color(QPalette::Disabled, QPalette::Button), QColor(0x22, 0x22, 0x22));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QTreeWidget"), "colors=\"Fg;Bg\""));
        auto* tree = fixture.add<QTreeWidget>();
        tree->setHeaderLabels({QStringLiteral("a"), QStringLiteral("b")});
        const int frameStyle = tree->frameStyle();
        fixture.apply();
        QCOMPARE(tree->columnCount(), 2);
        QCOMPARE(tree->frameStyle(), frameStyle);
        QCOMPARE(tree->palette().brush(QPalette::Button).style(), Qt::SolidPattern);
        QCOMPARE(tree->palette().color(QPalette::Button), bg);
    }
}

void TstQorbXmlMachine::containersAndPlainWidgets()
{
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QGroupBox"), "colors=\"Fg\"", "<string>Group</string>"));
        auto* box = fixture.add<QGroupBox>();
        fixture.apply();
        QCOMPARE(box->title(), QStringLiteral("Group"));
        QCOMPARE(box->palette().color(QPalette::WindowText), fg);
        QCOMPARE(box->palette().color(QPalette::Disabled, QPalette::WindowText), QColor(0x11, 0x11, 0x11));
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QWidget"), {}, "<string>Inner title</string>"));
        auto* widget = fixture.add<QWidget>();
        fixture.apply();
        QCOMPARE(widget->windowTitle(), QStringLiteral("Inner title"));
    }
}

void TstQorbXmlMachine::groupFrameGradient()
{
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbGroupBox"), "colors=\"Fg;Bg\""));
        auto* frame = fixture.add<QFrame>();
        fixture.apply();
        QVERIFY(frame->autoFillBackground());
        const QGradient* gradient = frame->palette().brush(QPalette::Window).gradient();
        QVERIFY(gradient);
        QCOMPARE(gradient->type(), QGradient::LinearGradient);
        const auto* linear = static_cast<const QLinearGradient*>(gradient);
        QCOMPARE(linear->start().x(), linear->finalStop().x());
        QVERIFY(linear->start().y() < linear->finalStop().y());
        QCOMPARE(gradient->stops().first().second, fg);
        QCOMPARE(gradient->stops().last().second, bg);
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbGroupBox"), "colors=\"Fg\""));
        auto* frame = fixture.add<QFrame>();
        fixture.apply();
        QCOMPARE(frame->palette().brush(QPalette::Window).style(), Qt::SolidPattern);
        QCOMPARE(frame->palette().color(QPalette::Window), fg);
    }
    {
        Fixture fixture;
        QVERIFY(fixture.load(QStringLiteral("QorbGroupBox")));
        auto* frame = fixture.add<QFrame>();
        fixture.apply();
        QVERIFY(!frame->autoFillBackground());
        QCOMPARE(frame->geometry(), QRect(5, 6, 70, 40));
    }
}

QTEST_MAIN(TstQorbXmlMachine)
#include "tst_qorbxmlmachine.moc"
