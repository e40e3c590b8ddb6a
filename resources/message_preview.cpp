// Shows one message box with the shipped style, to look at it by eye.
//   message_preview <resource dir> <kind> <title> <text> <buttons> [picture.png]
// With a picture name the box is grabbed into that file and closed.
#include "ui/styletemplate.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() < 6) {
        std::fputs("usage: message_preview <resource dir> <kind> <title> <text> <buttons> [picture.png]\n", stderr);
        return 2;
    }
    const QString resources = args.at(1) + QLatin1Char('/');
    bool loaded = false;
    StyleTemplate style(resources + QStringLiteral("images/"), resources + QStringLiteral("TolvoTool.sty"), &loaded);
    if (!loaded) {
        std::fputs("style file not loaded\n", stderr);
        return 1;
    }
    StyleTemplate::setInstance(&style);
    bool saved = true;
    if (args.size() > 6) {
        const QString picture = args.at(6);
        QTimer::singleShot(500, &app, [&style, &saved, picture] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && widget->inherits("QDialog"))
                    saved = widget->grab().save(picture);
            }
            style.closeMessage();
        });
    }
    QString text = args.at(4);
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    const int result = style.showMessage(args.at(2), args.at(3), text, args.at(5));
    std::printf("result %d\n", result);
    return saved ? 0 : 1;
}
