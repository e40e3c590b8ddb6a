#pragma once

#include <QFileDialog>
#include <QString>

#include <functional>

// Asks for the file to save to: caption, proposed name, filter list and the
// filter chosen; an empty answer cancels. Tests answer in the dialog's place.
using SaveNameAsker = std::function<QString(const QString& caption, const QString& proposedName,
                                            const QString& filters, QString* selectedFilter)>;

// The toolkit's save dialog over parent.
inline SaveNameAsker fileDialogAsker(QWidget* parent)
{
    return [parent](const QString& caption, const QString& proposedName, const QString& filters,
                    QString* selectedFilter) {
        return QFileDialog::getSaveFileName(parent, caption, proposedName, filters, selectedFilter);
    };
}
