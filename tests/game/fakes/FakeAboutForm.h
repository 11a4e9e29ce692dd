#pragma once

#include "CallLog.h"

#include "game/api/IAboutForm.h"

namespace trelvo::test {

// An About window that shows nothing. Close() stands for the user's close button: the window
// destroys itself and raises OnDestroy, as the real one does. Live() counts windows in existence.
class TFakeAboutForm : public IAboutForm {
public:
    explicit TFakeAboutForm(TCallLog *Log = nullptr) : FLog(Log) { ++LiveCount(); }
    ~TFakeAboutForm() override {
        --LiveCount();
        if (FLog)
            FLog->Add("About.Destroy()");
        if (OnDestroy)
            OnDestroy();
    }

    void Show() override {
        if (FLog)
            FLog->Add("About.Show()");
    }
    void Close() { delete this; }

    static int &LiveCount() {
        static int count = 0;
        return count;
    }

    // A factory for TGame that remembers the last window it made.
    static TAboutFormFactory Factory(TCallLog *Log, TFakeAboutForm **Last = nullptr) {
        return [Log, Last]() -> IAboutForm * {
            auto *form = new TFakeAboutForm(Log);
            if (Last)
                *Last = form;
            return form;
        };
    }

private:
    TCallLog *FLog;
};

} // namespace trelvo::test
