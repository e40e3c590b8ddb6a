#pragma once

#include <QObject>
#include <QString>

namespace wrench {

class WrenchSession;

// Runs the command lines that make the wrench act on its own (messages,
// error reports, files) or leave and come back.
class WrenchControl : public QObject {
    Q_OBJECT
public:
    explicit WrenchControl(WrenchSession& session, QObject* parent = nullptr);

    // One command line; returns the reply line ("ok ..." or "error ..."), or
    // an empty text for a blank line or a comment ("#...").
    QString execute(const QString& line);

signals:
    void unplugRequested();
    void plugRequested();
    void quitRequested();

private:
    WrenchSession& m_session;
};

} // namespace wrench
