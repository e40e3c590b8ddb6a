#include "app/dlgmessageimpl.h"

#include "ui/styletemplate.h"
#include "ui_dlgmessageimpl.h"

#include <QPixmap>
#include <QScreen>

#include <algorithm>
#include <array>

namespace {

// Room left on the screen for a window frame's title bar.
constexpr int TitleBarAllowance = 40;

struct MessageKind {
    const char* kind;
    const char* iconFile;
    const char* sound;
};

constexpr std::array<MessageKind, 4> kinds{{
    {"Question", "question.png", "question"},
    {"Info", "info.png", "info"},
    {"Warning", "warning.png", "warning"},
    {"Error", "error.png", "error"},
}};

const MessageKind* findKind(const QString& kind)
{
    const auto found = std::find_if(kinds.begin(), kinds.end(),
                                    [&kind](const MessageKind& k) { return kind == QLatin1String(k.kind); });
    return found == kinds.end() ? nullptr : &*found;
}

} // namespace

DlgMessageImpl::DlgMessageImpl(QWidget* parent, const QString& iconDirectory, StyleTemplate* style)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint)
    , m_form(std::make_unique<Ui::DlgMessage>())
    , m_iconDirectory(iconDirectory)
    , m_style(style)
{
    m_form->setupUi(this);
    setWindowTitle(m_style ? m_style->applyLayout(this, QStringLiteral("DlgMessage"), 1.0, 1.0) : QString());
    // Text from the wrench is never markup; line breaks still show.
    m_form->labelInfo->setTextFormat(Qt::PlainText);
    // Enter answers with the first caption, whichever button has focus.
    m_form->pushButtonOK->setDefault(true);
    connect(m_form->pushButtonOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_form->pushButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_form->pushButtonThird, &QPushButton::clicked, this, &DlgMessageImpl::slotThirdButton);
}

DlgMessageImpl::~DlgMessageImpl() = default;

void DlgMessageImpl::slotThirdButton()
{
    m_thirdChosen = true;
    reject();
}

void DlgMessageImpl::setMessage(const QString& kind, const QString& title, const QString& text,
                                const QString& buttons)
{
    const MessageKind* known = findKind(kind);
    if (!known)
        return;

    QPixmap icon;
    if (icon.load(m_iconDirectory + QLatin1String(known->iconFile)))
        m_form->labelIcon->setPixmap(icon.scaled(m_form->labelIcon->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (m_style)
        m_style->playSound(QLatin1String(known->sound));

    setWindowTitle(title);
    m_form->labelInfo->setText(text);
    setCaptions(buttons);

    fitText();
    const QSize byRule(m_form->labelInfo->width() + 3 * m_form->labelIcon->width(),
                       m_form->labelInfo->height() + 3 * m_form->labelIcon->height());
    // Never smaller than the visible buttons need.
    setFixedSize(byRule.expandedTo(m_form->vboxLayout->minimumSize()));
    if (m_form->pushButtonOK->isVisibleTo(this))
        m_form->pushButtonOK->setFocus();
}

// The box grows with its text, but never beyond two thirds of the screen's
// width or past its height: a longer text is wrapped, and cut at the bottom.
void DlgMessageImpl::fitText()
{
    QLabel* info = m_form->labelInfo;
    info->setWordWrap(false);
    info->adjustSize();
    const QRect available = screen()->availableGeometry();
    const QSize room = QSize(available.width() * 2 / 3, available.height())
        - QSize(3 * m_form->labelIcon->width(), 3 * m_form->labelIcon->height() + TitleBarAllowance);
    if (info->width() > room.width()) {
        info->setWordWrap(true);
        info->resize(room.width(), info->heightForWidth(room.width()));
    }
    info->resize(info->size().boundedTo(room));
}

void DlgMessageImpl::setCaptions(const QString& buttons)
{
    const QStringList captions = buttons.split(QLatin1Char(';'));
    const qsizetype count = captions.size();
    const bool showOk = count <= 3 && !(count == 1 && captions.first().isEmpty());
    m_form->pushButtonOK->setVisible(showOk);
    m_form->pushButtonCancel->setVisible(count == 2 || count == 3);
    m_form->pushButtonThird->setVisible(count == 3);
    if (count > 3)
        return;
    m_form->pushButtonOK->setText(captions.at(0));
    if (count >= 2)
        m_form->pushButtonCancel->setText(captions.at(1));
    if (count == 3)
        m_form->pushButtonThird->setText(captions.at(2));
}
