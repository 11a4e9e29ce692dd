#pragma once

#include "CallLog.h"

#include "game/api/IStatistics.h"

#include <QString>

#include <string>

namespace trelvo::test {

// A statistics service that posts nothing and writes every call into a TCallLog with the prefix
// "Stats.", e.g. "Stats.CheckInternetConnected(abc)". Tests answer by raising its events.
class TFakeStatistics : public IStatistics {
public:
    explicit TFakeStatistics(TCallLog *Log = nullptr) : FLog(Log) {}

    void SetPlayerInfo(const TPlayerInfo &Value) override {
        Log("Stats.SetPlayerInfo(" + Value.Name.toStdString() + "," + Value.IP.toStdString() + "," +
            std::to_string(Value.Gender) + ")");
    }
    void SetServerIP(const QString &Value) override { Log("Stats.SetServerIP(" + Value.toStdString() + ")"); }
    void SetChatVersion(const QString &Value) override {
        Log("Stats.SetChatVersion(" + Value.toStdString() + ")");
    }
    void SetMD5_CC(const QString &Value) override { Log("Stats.SetMD5_CC(" + Value.toStdString() + ")"); }
    void SetMD5_Plugin(const QString &Value) override {
        Log("Stats.SetMD5_Plugin(" + Value.toStdString() + ")");
    }
    void SetPlayerID(const QString &Value) override { Log("Stats.SetPlayerID(" + Value.toStdString() + ")"); }
    void Send() override { Log("Stats.Send()"); }
    void SendRedirect(const TStatInfo &aStatInfo) override {
        LastRedirect = aStatInfo;
        Log("Stats.SendRedirect(" + aStatInfo.Name.toStdString() + ")");
    }
    void SendServerInfo(const QString &aVersion, const QString &aMD5Server, const QString &aMD5Plugin,
                        const QString &aVerPlug) override {
        Log("Stats.SendServerInfo(" + aVersion.toStdString() + "," + aMD5Server.toStdString() + "," +
            aMD5Plugin.toStdString() + "," + aVerPlug.toStdString() + ")");
    }
    void CheckInternetConnected(const QString &Value) override {
        Log("Stats.CheckInternetConnected(" + Value.toStdString() + ")");
    }

    // The record of the last SendRedirect, field by field.
    TStatInfo LastRedirect;

private:
    void Log(const std::string &Line) {
        if (FLog)
            FLog->Add(Line);
    }

    TCallLog *FLog;
};

} // namespace trelvo::test
