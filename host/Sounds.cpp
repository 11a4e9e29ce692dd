#include "host/Sounds.h"

namespace trelvo::host {

QString SoundName(TSound Sound) {
    switch (Sound) {
    case TSound::Deal:
        return QStringLiteral("deal");
    case TSound::CardPlayed:
        return QStringLiteral("card-played");
    case TSound::Cover:
        return QStringLiteral("cover");
    case TSound::Take:
        return QStringLiteral("take");
    case TSound::Discard:
        return QStringLiteral("discard");
    case TSound::YourMove:
        return QStringLiteral("your-move");
    case TSound::Win:
        return QStringLiteral("win");
    case TSound::Loss:
        return QStringLiteral("loss");
    }
    return QString();
}

} // namespace trelvo::host
