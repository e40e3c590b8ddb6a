#include "app/startup.h"

#include "app/applog.h"
#include "app/paths.h"
#include "app/tolvotool.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>
#include <QSplashScreen>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <memory>

namespace {

constexpr int splashMilliseconds = 2000;

// The splash screen of the start. A start-up message must never hide behind
// it, so the first modal window shown while it is up closes it.
class StartSplash : public QSplashScreen
{
public:
    explicit StartSplash(const QPixmap& picture)
        : QSplashScreen(picture)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }

    // Shows the splash and keeps it painted for the given time. Only user input
    // waits: nothing may act before the main window exists.
    void showFor(int milliseconds)
    {
        show();
        QEventLoop wait;
        QTimer::singleShot(milliseconds, &wait, &QEventLoop::quit);
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
            const auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->isModal())
                close();
        }
        return false;
    }
};

void reportStyleFileNotLoaded(StyleTemplate& style)
{
    style.showMessage(QStringLiteral("Error"), TolvoTool::tr("XML Load Error"),
                      TolvoTool::tr("Failed to load resources from style file\n"
                                    "or Internal Data Error!\n\n"
                                    "Please check file <TolvoTool.sty>"),
                      QStringLiteral("OK"), nullptr);
}

int runMainWindow(const QString& imageDirectory)
{
    const QString splashFile = imageDirectory + QLatin1String("splash.png");
    const QPixmap splashPicture(splashFile);
    if (splashPicture.isNull())
        qCInfo(lcApp) << "No splash picture" << splashFile;
    auto splash = std::make_unique<StartSplash>(splashPicture);
    splash->showFor(splashMilliseconds);

    TolvoTool window;
    // Not a style the toolkit knows: the default style stays.
    QApplication::setStyle(QStringLiteral("Cleanlook"));
    window.show();
    splash->finish(&window);
    splash.reset();
    return QApplication::exec();
}

} // namespace

int startTool(const QString& startPath)
{
    paths::setStartPath(startPath);
    const QString settingsFile = paths::settingsFileInUse(startPath);
    // The user's configuration folder may not exist before the first run.
    QDir().mkpath(QFileInfo(settingsFile).absolutePath());
    platform::setPortMappingFile(QFile::encodeName(settingsFile).toStdString());
    platform::removeStaleProfileTemporaries(QFile::encodeName(settingsFile).toStdString());

    const QString imageDirectory = paths::resourceImageDirectory(startPath);
    bool styleLoaded = false;
    // Holds widgets and pictures: it must die after the main window and
    // before the application object.
    const auto style = std::make_unique<StyleTemplate>(imageDirectory, paths::resourceStyleFile(startPath),
                                                       &styleLoaded);
    StyleTemplate::setInstance(style.get());
    if (!styleLoaded) {
        reportStyleFileNotLoaded(*style);
        return 0;
    }
    return runMainWindow(imageDirectory);
}

int checkInstallation(const QString& startPath, QTextStream& out)
{
    paths::setStartPath(startPath);
    const QString styleFile = paths::resourceStyleFile(startPath);
    bool styleLoaded = false;
    const StyleTemplate style(paths::resourceImageDirectory(startPath), styleFile, &styleLoaded);

    const QString splash = paths::resourceImageDirectory(startPath) + QLatin1String("splash.png");
    const bool splashFound = QFileInfo::exists(splash);

    QTranslator translator;
    // A file that loads but translates nothing of the tool is no translation.
    const bool translated = paths::loadTranslation(translator, QStringLiteral("TolvoTool_de"))
        && !translator.translate("TolvoTool", "Connect Wrench").isEmpty();

    const auto verdict = [](bool good) { return good ? QLatin1String("ok") : QLatin1String("MISSING"); };
    out << "layout: " << (paths::isInstalledLayout(startPath) ? "installed" : "portable") << '\n'
        << "style file: " << styleFile << ' ' << verdict(styleLoaded) << '\n'
        << "pictures: " << splash << ' ' << verdict(splashFound) << '\n'
        << "translation: "
        << (translated ? translator.filePath() : paths::resourceDirectory(startPath) + QLatin1String("TolvoTool_de.qm"))
        << ' ' << verdict(translated) << '\n'
        << "settings file: " << paths::settingsFileInUse(startPath) << '\n';
    out.flush();
    return styleLoaded && splashFound && translated ? 0 : 1;
}

int runTolvoTool(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (QCoreApplication::arguments().contains(QLatin1String("--check-install"))) {
        QTextStream out(stdout);
        return checkInstallation(paths::startPath(), out);
    }
    return startTool(paths::startPath());
}
