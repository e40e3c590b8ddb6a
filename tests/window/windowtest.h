#pragma once

// The main window's world for the tests: a tool folder with its settings
// file, the style object, the simulated wrench as a separate program on a
// pseudo-terminal, and a user who answers the message boxes.

#include "app/dlgmessageimpl.h"
#include "app/paths.h"
#include "app/tolvotool.h"
#include "params/qorbpidman.h"
#include "platform/ports.h"
#include "platform/profile.h"
#include "tests/support/wrenchprocess.h"
#include "ui/styletemplate.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>

namespace windowtest {

constexpr int WaitMs = 10000;

inline QString binDirectory()
{
    return qEnvironmentVariable("TOLVO_BIN_DIR");
}

// A folder the tool runs from: settings file, images, translation. The
// settings are English unless a test says otherwise, so that no warning about
// a missing German translation comes up.
class ToolFolder
{
public:
    ToolFolder()
    {
        paths::setStartPath(startPath());
        platform::setPortMappingFile(QFile::encodeName(settingsFile()).toStdString());
        set("SETUP", "LANGUAGE", QStringLiteral("ENGLISH"));
    }
    ~ToolFolder()
    {
        paths::setStartPath(QString());
        platform::setPortMappingFile(std::string());
    }

    bool isValid() const { return m_dir.isValid(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString startPath() const { return QDir::toNativeSeparators(m_dir.filePath(QStringLiteral("TolvoTool"))); }
    QString settingsFile() const { return paths::settingsFile(startPath()); }

    bool set(const char* section, const char* key, const QString& value) const
    {
        return platform::writeProfileString(QFile::encodeName(settingsFile()).toStdString(), section, key,
                                            value.toStdString());
    }
    // "<missing>" for a key that is not in the file.
    QString get(const char* section, const char* key) const
    {
        return QString::fromStdString(platform::readProfileString(
            QFile::encodeName(settingsFile()).toStdString(), section, key, "<missing>"));
    }
    // Before the window is built: the port watcher reads the mapping once.
    bool mapPort(int number, const QString& path) const
    {
        return set("PORTS", qPrintable(QStringLiteral("COM%1").arg(number)), path);
    }
    bool provideGermanTranslation() const
    {
        return QFile::copy(binDirectory() + QLatin1String("/TolvoTool_de.qm"),
                           m_dir.filePath(QStringLiteral("TolvoTool_de.qm")));
    }
    bool provideBackground(const QSize& size) const
    {
        const QString folder = paths::imageDirectory(startPath()) + QLatin1String("backgrounds");
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        return QDir().mkpath(folder) && picture.save(folder + QLatin1String("/bgMain.png"));
    }

private:
    QTemporaryDir m_dir;
};

// The process-wide style object that every message box goes through.
class StyleObject
{
public:
    // Without a style file (none is found), or with the tool's own from its
    // folder, as the tool starts with it.
    explicit StyleObject(bool toolsOwn = false)
    {
        bool loaded = false;
        const QString images = toolsOwn ? binDirectory() + QLatin1String("/images/") : m_dir.path() + QLatin1String("/");
        const QString file = toolsOwn ? binDirectory() + QLatin1String("/TolvoTool.sty")
                                      : m_dir.filePath(QStringLiteral("none.sty"));
        m_style = std::make_unique<StyleTemplate>(images, file, &loaded, ScreenMetrics());
        StyleTemplate::setInstance(m_style.get());
    }
    ~StyleObject() { StyleTemplate::setInstance(nullptr); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<StyleTemplate> m_style;
};

// The simulated wrench program on a pseudo-terminal linked into the folder.
class Wrench : public testsupport::WrenchProcess
{
public:
    explicit Wrench(const ToolFolder& folder) : WrenchProcess(folder.filePath(QString())) {}

    // Maps the link as COM42 and makes favourite the chosen port.
    bool map(const ToolFolder& folder, const QString& favourite) const
    {
        return folder.mapPort(42, link) && folder.set("SETUP", "FAVORITE_PORT", favourite);
    }
    // ... then starts the program and waits for its "ready" line.
    bool startAsChosenPort(const ToolFolder& folder, const QString& favourite,
                           const QStringList& options = {})
    {
        return map(folder, favourite) && startReady(options);
    }
};

// A message box as the user saw it.
struct SeenBox {
    QString title;
    QString text;
    QStringList captions; // visible buttons, left to right
};

inline QPushButton* messageButton(QWidget* dialog, const char* name)
{
    return dialog->findChild<QPushButton*>(QLatin1String(name));
}

// Plays the user in front of the message boxes: each new one is noted and
// handed to onBox, which by default presses its first caption (the button on
// the right). Any other modal box is noted and dismissed, so that nothing
// unexpected can hang a test.
class BoxWatcher : public QObject
{
public:
    BoxWatcher()
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { look(); });
        m_poll.start(10);
    }

    std::function<void(DlgMessageImpl*)> onBox = [](DlgMessageImpl* box) {
        QTest::mouseClick(messageButton(box, "pushButtonOK"), Qt::LeftButton);
    };
    QList<SeenBox> boxes;
    QStringList otherBoxes;

    int countText(const QString& text) const
    {
        return static_cast<int>(std::count_if(boxes.cbegin(), boxes.cend(),
                                              [&text](const SeenBox& box) { return box.text == text; }));
    }

private:
    void look()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<DlgMessageImpl*>(modal)) {
            if (box == m_current)
                return;
            m_current = box;
            SeenBox seen{box->windowTitle(), box->findChild<QLabel*>(QStringLiteral("labelInfo"))->text(), {}};
            for (const char* name : {"pushButtonCancel", "pushButtonThird", "pushButtonOK"}) {
                if (messageButton(box, name)->isVisibleTo(box))
                    seen.captions.append(messageButton(box, name)->text());
            }
            boxes.append(seen);
            onBox(box);
        } else if (auto* other = qobject_cast<QMessageBox*>(modal)) {
            otherBoxes.append(other->text());
            other->reject();
        }
    }

    QTimer m_poll;
    QPointer<DlgMessageImpl> m_current;
};

// What every window test sets up in init() and tears down in cleanup(), in
// reverse order: the folder, the wrench (not started), the style object and
// the user; the window is the test's to build.
class WindowFixture
{
protected:
    // False when the folder could not be made.
    bool makeWorld()
    {
        m_folder = std::make_unique<ToolFolder>();
        m_wrench = std::make_unique<Wrench>(*m_folder);
        m_style = std::make_unique<StyleObject>();
        m_user = std::make_unique<BoxWatcher>();
        return m_folder->isValid();
    }
    void tearDownWorld()
    {
        m_window.reset();
        m_user.reset();
        m_style.reset();
        m_wrench.reset();
        m_folder.reset();
    }

    std::unique_ptr<ToolFolder> m_folder;
    std::unique_ptr<Wrench> m_wrench;
    std::unique_ptr<StyleObject> m_style;
    std::unique_ptr<BoxWatcher> m_user;
    std::unique_ptr<TolvoTool> m_window;
};

inline QPushButton* button(TolvoTool& window, const char* name)
{
    return window.findChild<QPushButton*>(QLatin1String(name));
}

inline QString statusText(TolvoTool& window)
{
    return window.findChild<QLabel*>(QStringLiteral("labelCommunication"))->text();
}

inline QString onlineStatus(const QString& name, const QString& version, const QString& extra)
{
    return QStringLiteral("<span style=\"font-size:9pt;font-family:'Arial';font-weight:600;"
                          "color:#000000;border-style:dashed;\">Connected with   ")
        + name + QStringLiteral(" Version ") + version + QLatin1Char(' ') + extra + QStringLiteral("</span>");
}

inline const QString offlineStatus = QStringLiteral(
    "<span style=\"font-size:9pt;font-family:'Arial';font-style:normal;color:#FF2211\">"
    "Device is not connected ...</span>");

// The parameters the model holds, its modules and table rows not counted.
inline int parameterItems(const QorbPIDMan& model)
{
    int found = 0;
    const QTreeWidget* tree = model.tree();
    for (int module = 0; module < tree->topLevelItemCount(); ++module) {
        const QTreeWidgetItem* moduleItem = tree->topLevelItem(module);
        for (int child = 0; child < moduleItem->childCount(); ++child)
            found += moduleItem->child(child)->data(QorbPIDMan::ColName, Qt::UserRole) == QorbPIDMan::KindParam;
    }
    return found;
}

} // namespace windowtest
