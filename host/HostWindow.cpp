#include "host/HostWindow.h"

#include "host/GameArea.h"
#include "host/HostLog.h"

#include <QAction>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QVBoxLayout>

namespace trelvo::host {

namespace {

// Calls a handler through a copy: it may be rebound or the window closed while it runs.
void Raise(const std::function<void()> &Handler) {
    if (auto handler = Handler)
        handler();
}

} // namespace

THostWindow::THostWindow() {
    setWindowTitle(QStringLiteral("Trelvo"));

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    FNotice = new QWidget(central);
    auto *row = new QHBoxLayout(FNotice);
    FNoticeText = new QLabel(FNotice);
    FNoticeText->setWordWrap(true);
    auto *restart = new QPushButton(QStringLiteral("Перезапустить игру"), FNotice);
    row->addWidget(FNoticeText, 1);
    row->addWidget(restart);
    FNotice->setStyleSheet(QStringLiteral("background: #fff3cd; color: #533f03;"));
    FNotice->hide();
    QObject::connect(restart, &QPushButton::clicked, [this] { Raise(OnRestartClient); });
    column->addWidget(FNotice);

    FSplitter = new QSplitter(Qt::Horizontal, central);
    FGameArea = new TGameArea(FSplitter);
    FLog = new QPlainTextEdit(FSplitter);
    FLog->setReadOnly(true);
    FLog->setMaximumBlockCount(kLogLines);
    FLog->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QFont small = FLog->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    FLog->setFont(small);
    FSplitter->addWidget(FGameArea);
    FSplitter->addWidget(FLog);
    // The game area keeps its minimum; the log gives way first, down to a narrow strip, and can be
    // folded away to make the window narrower still.
    FLog->setMinimumWidth(kLogMinimumWidth);
    FSplitter->setStretchFactor(0, 1);
    FSplitter->setStretchFactor(1, 0);
    FSplitter->setCollapsible(0, false);
    FSplitter->setSizes({800, 240});
    column->addWidget(FSplitter, 1);
    setCentralWidget(central);

    BuildMenu();
    // A player's window first: the relayed messages are there for whoever asks for them.
    SetLogVisible(false);
    resize(1040, 640);
}

THostWindow::~THostWindow() = default;

void THostWindow::BuildMenu() {
    // The shortcuts work in the whole chat window, the embedded game included (THost grabs their keys);
    // the game keeps its own keys.
    QMenu *game = menuBar()->addMenu(QStringLiteral("&Игра"));
    FShowGame = game->addAction(QStringLiteral("Показать игру"), QKeySequence(QStringLiteral("Ctrl+G")), this,
                                [this] { Raise(OnShowGame); });
    FHideGame = game->addAction(QStringLiteral("Скрыть игру"), QKeySequence(QStringLiteral("Ctrl+H")), this,
                                [this] { Raise(OnHideGame); });
    game->addSeparator();
    FRestart = game->addAction(QStringLiteral("Перезапустить игру"), QKeySequence(QStringLiteral("Ctrl+R")),
                               this, [this] { Raise(OnRestartClient); });
    FRating = game->addAction(QStringLiteral("Рейтинг"), QKeySequence(QStringLiteral("Ctrl+T")), this,
                              [this] { Raise(OnRating); });
    FRating->setEnabled(false);
    game->addSeparator();
    FSettings = game->addAction(QStringLiteral("Настройки…"), QKeySequence(QStringLiteral("Ctrl+,")), this,
                                [this] { Raise(OnSettings); });
    FSound = game->addAction(QStringLiteral("Звук"));
    FSound->setShortcut(QKeySequence(QStringLiteral("Ctrl+M")));
    FSound->setCheckable(true);
    FSound->setChecked(true);
    QObject::connect(FSound, &QAction::toggled, [this](bool On) {
        if (auto handler = OnSoundSwitched)
            handler(On);
    });
    game->addSeparator();
    game->addAction(QStringLiteral("Выход"), QKeySequence(QStringLiteral("Ctrl+Q")), this,
                    [this] { close(); });

    QMenu *view = menuBar()->addMenu(QStringLiteral("&Вид"));
    FLogToggle = view->addAction(QStringLiteral("Журнал"));
    FLogToggle->setShortcut(QKeySequence(QStringLiteral("Ctrl+L")));
    FLogToggle->setCheckable(true);
    QObject::connect(FLogToggle, &QAction::toggled, [this](bool On) {
        FLog->setVisible(On);
        if (auto handler = OnLogShown)
            handler(On);
    });

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Справка"));
    FAbout = help->addAction(QStringLiteral("О программе"), QKeySequence(QStringLiteral("F1")), this,
                             [this] { Raise(OnAbout); });
}

QList<QAction *> THostWindow::MenuActions() const {
    QList<QAction *> items;
    for (QAction *top : menuBar()->actions())
        if (top->menu())
            for (QAction *item : top->menu()->actions())
                if (!item->isSeparator())
                    items << item;
    return items;
}

void THostWindow::SetSoundOn(bool On) {
    const QSignalBlocker quiet(FSound);
    FSound->setChecked(On);
}

bool THostWindow::SoundOn() const {
    return FSound->isChecked();
}

void THostWindow::AppendLog(const QString &Line) {
    // Every line is cut, whoever wrote it: with kLogLines of them the log's size stays bounded.
    const QString shown = Line.size() <= kLogLineChars ? Line : Line.left(kLogLineChars - 1) + u'…';
    FLog->appendPlainText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + shown);
}

QString THostWindow::LogText() const {
    return FLog->toPlainText();
}

void THostWindow::SetLogVisible(bool Visible) {
    const QSignalBlocker quiet(FLogToggle);
    FLogToggle->setChecked(Visible);
    FLog->setVisible(Visible);
}

bool THostWindow::LogVisible() const {
    return !FLog->isHidden();
}

void THostWindow::SetClientNotice(const QString &Text) {
    FNoticeText->setText(Text);
    FNotice->setVisible(!Text.isEmpty());
}

QString THostWindow::ClientNotice() const {
    return FNotice->isHidden() ? QString() : FNoticeText->text();
}

void THostWindow::SetServerStatus(bool Connected, const QString &Text) {
    if (!FServerStatus) {
        FServerStatus = new QLabel(this);
        FServerStatus->setWordWrap(true);
        statusBar()->addWidget(FServerStatus, 1);
    }
    FServerStatus->setText(QStringLiteral("● ") + Text);
    FServerStatus->setStyleSheet(Connected ? QStringLiteral("color: #1e7b34;")
                                           : QStringLiteral("color: #a61b1b;"));
}

QString THostWindow::ServerStatus() const {
    return FServerStatus ? FServerStatus->text() : QString();
}

void THostWindow::SetResultLine(const QString &Text) {
    if (!FResultLine) {
        FResultLine = new QLabel(this);
        FResultLine->setStyleSheet(QStringLiteral("font-weight: bold;"));
        // On a narrow window it takes a second line rather than squeezing the server's status.
        FResultLine->setWordWrap(true);
        FResultLine->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        statusBar()->addPermanentWidget(FResultLine, 1);
    }
    FResultLine->setText(Text);
    FResultLine->setVisible(!Text.isEmpty());
}

QString THostWindow::ResultLine() const {
    return FResultLine && !FResultLine->isHidden() ? FResultLine->text() : QString();
}

void THostWindow::closeEvent(QCloseEvent *Event) {
    Event->accept();
    Raise(OnClosed);
}

} // namespace trelvo::host
