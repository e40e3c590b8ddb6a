#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QProxyStyle>
#include <QRect>
#include <QString>

#include <memory>
#include <optional>

class DlgMessageImpl;
class QorbXmlMachine;
class QPalette;
class QWidget;

// Size and resolution of the display the layouts are scaled to.
struct ScreenMetrics {
    int width = 1280;
    int height = 1024;
    QRect availableGeometry{0, 0, 1280, 1024};
    int dpi = 96;

    // The primary screen, or the defaults above when there is none.
    static ScreenMetrics fromPrimaryScreen();
};

// The process-wide style object: loads the style file, owns the named colours,
// the base palette, the background pictures and the message box.
// It is never installed as the application's widget style; only its palette
// polish is used, by the style file reader before each layout.
class StyleTemplate : public QProxyStyle
{
public:
    // loaded is set to false at once and to true when the style file parsed
    // without error. styleDirectory is used as a plain prefix (it ends in a
    // separator). Without metrics the primary screen is measured.
    StyleTemplate(const QString& styleDirectory, const QString& styleFilePath, bool* loaded,
                  std::optional<ScreenMetrics> metrics = std::nullopt);
    ~StyleTemplate() override;

    // The process-wide pointer, set by start-up; cleared when that object dies.
    static StyleTemplate* instance();
    static void setInstance(StyleTemplate* style);

    using QProxyStyle::polish;
    void polish(QPalette& palette) override;

    // Applies the named layout of the style file to window; returns the
    // layout's caption (empty without a style file or for an unknown name).
    QString applyLayout(QWidget* window, const QString& layoutName,
                        double xFactor = 1.0, double yFactor = 1.0);

    // The message box. kind: "Question", "Info", "Warning" or "Error";
    // buttons: up to three captions separated by ";".
    // Returns 1 for the first button (or closed by closeMessage), 0 for the
    // second or any other close, 2 for the third, -1 when another message box
    // is already open.
    int showMessage(const QString& kind, const QString& title, const QString& text,
                    const QString& buttons, QWidget* parent = nullptr);
    // Accepts the open message box as if its first button were chosen.
    void closeMessage();

    void playSound(const QString& name) const;

    QString styleDirectory() const { return m_styleDirectory; }
    const QPixmap& backgroundPicture() const { return m_backgroundPicture; }
    // Null when "backgrounds/bgListHeader.png" could not be loaded.
    const QPixmap* listHeaderPicture() const;
    const ScreenMetrics& screen() const { return m_screen; }
    bool hasStyleFile() const { return m_machine != nullptr; }

    // One of the thirteen palette colours by its style file name
    // ("MainColor", "TextColor", ...); invalid for other names.
    QColor namedColor(const QString& name) const;

private:
    struct NamedColor {
        QString name;
        QColor value;
    };

    void loadStyleFile(const QString& styleFilePath, bool* loaded);
    void loadPictures();
    QColor colorOf(const char* name) const;

    std::unique_ptr<QorbXmlMachine> m_machine;
    QString m_styleDirectory;
    ScreenMetrics m_screen;
    QPixmap m_backgroundPicture;
    QPixmap m_listHeaderPicture;
    QList<NamedColor> m_colors;

    static StyleTemplate* s_instance;
    // The open message box; guarded so that a parent deleted inside its
    // nested event loop cannot leave a dangling pointer behind.
    static QPointer<DlgMessageImpl> s_openMessage;
    static bool s_messageShowing;
};
