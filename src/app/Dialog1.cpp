#include "app/Dialog1.h"

#include "app/ProgramLinks.h"
#include "ui/Twips.h"

#include <QDesktopServices>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>

// The resources of a static library are registered by name, from the global namespace.
static void initAboutResources()
{
    Q_INIT_RESOURCE(about);
}

namespace plainora {

namespace {

QCursor linkCursor()
{
    QPixmap hand(32, 32);
    hand.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/about/link-hand.svg"));
    QPainter painter(&hand);
    renderer.render(&painter);
    painter.end();
    return QCursor(hand, 11, 1); // the tip of the index finger
}

} // namespace

Dialog1::Dialog1(ShellOpener openInShell, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      m_openInShell(std::move(openInShell))
{
    initAboutResources();
    setObjectName(QStringLiteral("Dialog1"));
    setWindowTitle(QStringLiteral("About us"));
    setModal(true);
    setFont(QFont(QStringLiteral("Arial"), 8));
    setFixedSize(px(4908), px(4116));

    addLabel(this, "Label1", QStringLiteral("Plainora"), 840, 240, 2055, 255);
    addLabel(this, "Label4", QStringLiteral("Version:2009.9.9"), 840, 480, 1455, 255);

    auto* frame = new QGroupBox(this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipRect(240, 960, 4450, 1090));
    addLabel(frame, "Label3", QStringLiteral("Technical Support:"), 120, 240, 1690, 250);
    m_mailLink = addLabel(frame, "Label2", SupportEmail(), 1800, 240, 2290, 250);
    addLabel(frame, "Label7", QStringLiteral(" Website:"), 120, 480, 850, 250);
    m_homeLink = addLabel(frame, "Label8", HomePageDisplayText(HomePageUrl()), 1800, 480, 1930, 250);
    addLabel(frame, "Label6", QStringLiteral("Copyright 2009 The Plainora authors"), 120, 720, 3135, 255);
    addLabel(this, "Label5", QStringLiteral(" \r\n"), 120, 2280, 4695, 1095);
    makeLink(m_mailLink);
    makeLink(m_homeLink);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(twipRect(120, 3600, 1215, 375));
    ok->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QLabel* Dialog1::addLabel(QWidget* parent, const char* name, const QString& text, int left, int top,
                          int width, int height)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QRect area = twipRect(left, top, width, height);
    // An address longer than its designed field widens the label up to the
    // edge of its container rather than being clipped.
    const int needed = label->sizeHint().width();
    if (needed > area.width())
        area.setWidth(qMin(needed, parent->width() - area.left() - px(120)));
    label->setGeometry(area);
    return label;
}

void Dialog1::makeLink(QLabel* label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
    label->setPalette(palette);
    label->setCursor(linkCursor());
    label->installEventFilter(this);
}

bool Dialog1::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_mailLink || watched == m_homeLink) && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            openInShell(watched == m_mailLink ? QStringLiteral("mailto:") + m_mailLink->text()
                                              : HomePageUrl());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Dialog1::openInShell(const QString& target)
{
    if (m_openInShell)
        m_openInShell(target);
    else
        QDesktopServices::openUrl(QUrl(target));
}

} // namespace plainora
