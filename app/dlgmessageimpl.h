#pragma once

#include <QDialog>
#include <QString>

#include <memory>

class StyleTemplate;

namespace Ui {
class DlgMessage;
}

// The tool's message box: an icon by kind, a plain-text message and up to
// three buttons. Opened through StyleTemplate::showMessage.
class DlgMessageImpl : public QDialog
{
    Q_OBJECT

public:
    // iconDirectory ends in a separator. style (optional, not owned) lays the
    // dialog out from the style file and plays the kind's sound.
    DlgMessageImpl(QWidget* parent, const QString& iconDirectory, StyleTemplate* style = nullptr);
    ~DlgMessageImpl() override;

    // kind: "Question", "Info", "Warning" or "Error" (anything else leaves the
    // dialog empty); buttons: captions separated by ";", first on the right.
    void setMessage(const QString& kind, const QString& title, const QString& text, const QString& buttons);

    bool thirdChosen() const { return m_thirdChosen; }

public slots:
    void slotThirdButton();

private:
    void setCaptions(const QString& buttons);
    void fitText();

    std::unique_ptr<Ui::DlgMessage> m_form;
    QString m_iconDirectory;
    StyleTemplate* m_style = nullptr;
    bool m_thirdChosen = false;
};
