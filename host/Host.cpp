#include "host/Host.h"

#include "host/GameArea.h"
#include "host/HostLog.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>

Q_LOGGING_CATEGORY(lcHost, "trelvo.host", QtWarningMsg)

namespace trelvo::host {

namespace {

QString FileMD5(const QString &Path) {
    QFile file(Path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(&file);
    return QString::fromLatin1(hash.result().toHex());
}

QString LoginName() {
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = QDir::home().dirName();
    name.remove(u';');
    return name.isEmpty() ? QStringLiteral("Игрок") : name;
}

} // namespace

THostIdentity MakeIdentity(const QString &Name) {
    THostIdentity id;
    id.Name = Name.isEmpty() ? LoginName() : Name;
    id.ChatVersion = QString::fromLatin1(THost::kChatVersion);
    id.MD5_CC = FileMD5(QCoreApplication::applicationFilePath());
    id.MD5_Plugin = id.MD5_CC;
    return id;
}

THost::THost(const THostOptions &Options, std::unique_ptr<IGameServer> Server, const std::string &PipeName)
    : FOptions(Options), FServer(std::move(Server)) {
    FRelay = std::make_unique<THostRelay>(*FServer, MakeIdentity(FOptions.PlayerName));
    FLink = std::make_unique<THostLink>(PipeName);
    FClient = std::make_unique<TClientLauncher>(
        FOptions.ClientPath.isEmpty() ? FindClient() : FOptions.ClientPath, FOptions.StatsService);

    FServer->OnStatus = [this](bool Connected, const QString &Text) {
        FWindow.SetServerStatus(Connected, Text);
        Log(Text);
    };
    FRelay->OnLog = [this](const QString &Line) { Log(Line); };
    FRelay->OnSendToClient = [this](const QString &Text) { FLink->Send(Text); };
    FRelay->OnStopRequested = [this] {
        FStopRequested = true;
        FLink->DropClient();
    };
    FLink->OnClientConnected = [this] {
        FStopRequested = false;
        FWindow.SetClientNotice(QString());
        FRelay->ClientConnected(FWindow.GameArea().winId(), FWindow.GameArea().size());
    };
    FLink->OnClientDisconnected = [this] { FRelay->ClientDisconnected(); };
    FLink->OnClientMessage = [this](const QString &Text) { FRelay->ClientMessage(Text); };
    FClient->OnEnded = [this](int ExitCode, bool Crashed) { ClientEnded(ExitCode, Crashed); };

    FWindow.GameArea().OnResized = [this](QSize Size) { FRelay->Resize(Size); };
    FWindow.OnShowGame = [this] { FRelay->ShowGame(); };
    FWindow.OnHideGame = [this] { FRelay->HideGame(); };
    FWindow.OnAbout = [this] { FRelay->ShowAbout(); };
    FWindow.OnRestartClient = [this] { RestartClient(); };
    FWindow.OnClosed = [this] {
        if (auto handler = OnClosed)
            handler();
    };

    FShortcutGrab = std::make_unique<TX11ShortcutGrab>(static_cast<std::uint32_t>(FWindow.winId()),
                                                       FWindow.MenuActions());
    FChildWatch = std::make_unique<TX11ChildWatch>(static_cast<std::uint32_t>(FWindow.GameArea().winId()));
    FChildWatch->OnChildShown = [this](std::uint32_t Child) {
        if (FEmbedded != Child)
            Log(QStringLiteral("the game's window is in the chat window"));
        FEmbedded = Child;
        // Back from full screen the client keeps its old size: give it the current one.
        FRelay->Resize(FWindow.GameArea().size());
    };
    FChildWatch->OnChildLeft = [this](std::uint32_t Child) {
        if (Child != FEmbedded)
            return;
        FEmbedded = 0;
        Log(QStringLiteral("the game's window left the chat window"));
    };
}

THost::~THost() {
    Shutdown();
    FServer->OnStatus = nullptr;
    FChildWatch.reset();
    FShortcutGrab.reset();
    FClient.reset();
    FLink.reset();
    FRelay.reset();
}

bool THost::Start(QString &Error) {
    if (!FLink->Open()) {
        Error = QStringLiteral("trelvo-host: another host is running (the game's pipe is taken)");
        return false;
    }
    FWindow.show();
    Log(QStringLiteral("starting %1 -start").arg(FClient->ClientPath()));
    if (!FClient->Start()) {
        Error = QStringLiteral("trelvo-host: cannot start the game client %1").arg(FClient->ClientPath());
        FWindow.SetClientNotice(QStringLiteral("Игру не удалось запустить: %1").arg(FClient->ClientPath()));
        return false;
    }
    return true;
}

bool THost::Shutdown() {
    if (!FLink)
        return true;
    FLink->Close();
    FRelay->ClientDisconnected();
    FClient->OnEnded = nullptr;
    return FClient->WaitEnded();
}

bool THost::RestartClient() {
    if (FClient->Running()) {
        Log(QStringLiteral("restarting the game"));
        FClient->OnEnded = nullptr;
        FLink->DropClient();
        // A client that ignores its closed pipe is killed by its launcher's end.
        if (!FClient->WaitEnded())
            FClient = std::make_unique<TClientLauncher>(FClient->ClientPath());
        FClient->OnEnded = [this](int ExitCode, bool Crashed) { ClientEnded(ExitCode, Crashed); };
    }
    FWindow.SetClientNotice(QString());
    if (!FClient->Start()) {
        FWindow.SetClientNotice(QStringLiteral("Игру не удалось запустить: %1").arg(FClient->ClientPath()));
        return false;
    }
    return true;
}

void THost::ClientEnded(int ExitCode, bool Crashed) {
    FEmbedded = 0;
    QString notice;
    if (Crashed)
        notice = QStringLiteral("Игра аварийно завершилась.");
    else if (FStopRequested)
        notice = QStringLiteral("Игра закрыта по её запросу.");
    else
        notice = QStringLiteral("Игра завершилась (код %1).").arg(ExitCode);
    Log(Crashed ? QStringLiteral("the client died")
                : QStringLiteral("the client ended with code %1").arg(ExitCode));
    FWindow.SetClientNotice(notice);
}

void THost::Log(const QString &Line) {
    FWindow.AppendLog(Line);
    qCDebug(lcHost).noquote() << Line;
}

} // namespace trelvo::host
