#include "About.h"
#include "Log.h"

#include "common/Exceptions.h"
#include "common/Version.h"
#include "kit/AssetLoader.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <algorithm>

namespace trelvo {

namespace {

const char *const kVersion = kTrelvoVersion;

struct TCredit {
    int top;
    const char *text;
    bool bold;
};
// Heading, name, heading, name, heading, eight testers, and the closing line.
const TCredit kCredits[14] = {
    {5, "Разработчик", true},      {21, "Илья Северов", false},
    {44, "Дизайнер", true},        {60, "Марина Лесная", false},
    {80, "Тестирование", true},    {96, "Антон Крылов", false},
    {112, "Вера Соколова", false}, {128, "Глеб Орлов", false},
    {144, "Дарья Белова", false},  {160, "Егор Зимин", false},
    {176, "Жанна Ветрова", false}, {192, "Кирилл Рябов", false},
    {208, "Лидия Озёрова", false}, {232, "Спасибо, что играете в Trelvo!", true},
};

// The game's colours (its felt, its wood and the cream body of its windows) for a window that is not
// drawn by the scene.
const QColor kGold(0xe3, 0xb8, 0x4f);
const QColor kIvory(0xff, 0xfd, 0xf6);
const QColor kInk(0x2c, 0x17, 0x0a);
const QColor kWood(0x5a, 0x34, 0x18);

QFont Font(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A panel showing a piece of one of the game's pictures at Scale, cut from its centre, with a wood
// line along its bottom edge. Without the picture it shows Fill.
class TPicturePanel : public QFrame {
public:
    TPicturePanel(QWidget *parent, const QRect &bounds, const char *picture, double scale, const QColor &fill)
        : QFrame(parent), FScale(scale), FFill(fill) {
        setGeometry(bounds);
        try {
            FPicture = LoadBitmap(QString::fromLatin1(picture));
        } catch (const EAssetNotFound &e) {
            qCWarning(lcLobby) << "About window without its picture:" << e.what();
        }
    }

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), FFill);
        if (!FPicture.isNull()) {
            const QSizeF cut(width() / FScale, height() / FScale);
            const QRectF source(
                QPointF((FPicture.width() - cut.width()) / 2, (FPicture.height() - cut.height()) / 2), cut);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(QRectF(rect()), FPicture, source.intersected(QRectF(FPicture.rect())));
        }
        painter.fillRect(QRect(0, height() - 1, width(), 1), kWood);
    }

private:
    QImage FPicture;
    double FScale;
    QColor FFill;
};

void SetTextColour(QWidget *widget, const QColor &colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

// A mirror image of a label's text under it, fading out downwards from Opacity. The whole text is
// mirrored, squeezed into Length of the label's height, so that no letter is cut into marks.
class TReflection : public QWidget {
public:
    TReflection(QWidget *parent, QLabel *source, double opacity, int offset, double length)
        : QWidget(parent), FSource(source), FOpacity(opacity) {
        const int h = static_cast<int>(source->height() * length);
        setGeometry(source->x(), source->y() + source->height() + offset, source->width(), h);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        // The label's text alone, on nothing, then only the rows that hold ink.
        QImage text(FSource->size(), QImage::Format_ARGB32_Premultiplied);
        text.fill(Qt::transparent);
        {
            QPainter p(&text);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.setFont(FSource->font());
            p.setPen(FSource->palette().color(QPalette::WindowText));
            p.drawText(text.rect(), static_cast<int>(FSource->alignment()), FSource->text());
        }
        int top = text.height(), bottom = -1;
        for (int y = 0; y < text.height(); ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(text.constScanLine(y));
            for (int x = 0; x < text.width(); ++x)
                if (qAlpha(line[x]) > 0) {
                    top = std::min(top, y);
                    bottom = y;
                    break;
                }
        }
        if (bottom < top)
            return;
        QImage mirror = text.copy(0, top, text.width(), bottom - top + 1)
                            .mirrored(false, true)
                            .scaled(width(), height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QPainter mask(&mirror);
        mask.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(0, 0, 0, height());
        fade.setColorAt(0, QColor(0, 0, 0, static_cast<int>(255 * FOpacity)));
        fade.setColorAt(1, QColor(0, 0, 0, static_cast<int>(255 * FOpacity / 4)));
        mask.fillRect(mirror.rect(), fade);
        mask.end();
        QPainter(this).drawImage(0, 0, mirror);
    }

private:
    QLabel *FSource;
    double FOpacity;
};

QLabel *Line(QWidget *parent, const QString &text, int top, int height, const QFont &font) {
    auto *label = new QLabel(parent);
    label->setFont(font);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, top, parent->width(), height);
    label->setText(text);
    return label;
}

} // namespace

TForm_About::TForm_About()
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                           Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(QStringLiteral("О программе"));
    setFixedSize(kClientWidth, kClientHeight);
    setModal(false);
    // Set from the start: Esc closes through reject, which hides the dialog without a close event.
    setAttribute(Qt::WA_DeleteOnClose);

    // The name on the table's felt, the credits on the cream of the game's windows, the button on wood.
    FPanel_Top =
        new TPicturePanel(this, QRect(0, 0, 425, 97), "Background_Table", 1.0, QColor(0x1f, 0x7d, 0x42));
    FImage1 = new QLabel(FPanel_Top);
    FImage1->setGeometry(48, 8, 80, 80);
    FImage1->setScaledContents(true);
    try {
        FImage1->setPixmap(QPixmap::fromImage(LoadBitmap(QStringLiteral("App_Icon"))));
    } catch (const EAssetNotFound &e) {
        // A build without the pictures shows the window without its icon.
        qCWarning(lcLobby) << "About window without icon:" << e.what();
    }
    FLayout1 = new QWidget(FPanel_Top);
    FLayout1->setGeometry(168, 16, 249, 73);
    FText_Name = Line(FLayout1, QStringLiteral("Trelvo"), 0, 33, Font(25, true));
    SetTextColour(FText_Name, kGold);
    // On its baseline, so that the mirror image starts right under the letters.
    FText_Name->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    FReflectionEffect = new TReflection(FLayout1, FText_Name, 0.6, -5, 0.45);
    FText_Version = Line(FLayout1, QString(), 50, 20, Font(15, false));
    SetTextColour(FText_Version, kIvory);

    FPanel2 =
        new TPicturePanel(this, QRect(0, 96, 425, 255), "Window_Background", 1.0, QColor(0xfb, 0xf3, 0xd2));
    for (size_t i = 0; i < FText.size(); ++i) {
        const TCredit &credit = kCredits[i];
        QLabel *label = Line(FPanel2, QString(), credit.top, 17, Font(12, credit.bold));
        SetTextColour(label, credit.bold ? kWood : kInk);
        // Names are trimmed by character rather than wrapped into the next line.
        label->setText(QFontMetrics(label->font())
                           .elidedText(QString::fromUtf8(credit.text), Qt::ElideRight, label->width()));
        FText[i] = label;
    }

    FPanel3 = new TPicturePanel(this, QRect(0, 349, 425, 49), "Window_Top", 0.5, kWood);
    FButton_Close = new QPushButton(QStringLiteral("Закрыть"), FPanel3);
    FButton_Close->setGeometry((425 - 100) / 2, (49 - 25) / 2, 100, 25);
    // The green of the game's own buttons.
    FButton_Close->setStyleSheet(QStringLiteral(
        "QPushButton { color: #fffdf6; font: bold 12px 'DejaVu Sans'; border: 1px solid #0a3d1f;"
        " border-radius: 3px; background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #43a868,"
        " stop:1 #1f7d42); }"
        "QPushButton:hover { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #55bd7b,"
        " stop:1 #27904e); }"
        "QPushButton:pressed { background: #16602f; }"
        "QPushButton:focus { border: 1px solid #e3b84f; }"));
    connect(FButton_Close, &QPushButton::clicked, this, [this] { Button_CloseClick(); });
}

TForm_About::~TForm_About() {
    if (OnDestroy) {
        auto handler = std::move(OnDestroy);
        handler();
    }
}

void TForm_About::Show() {
    if (QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
}

void TForm_About::showEvent(QShowEvent *event) {
    FormShow();
    QDialog::showEvent(event);
}

void TForm_About::closeEvent(QCloseEvent *event) {
    FormClose();
    QDialog::closeEvent(event);
}

void TForm_About::FormShow() {
    FText_Version->setText(QString::fromLatin1(kVersion));
}

void TForm_About::FormClose() {
    // Closing frees the window; QWidget does it with deleteLater, from the event loop.
    setAttribute(Qt::WA_DeleteOnClose);
}

void TForm_About::Button_CloseClick() {
    close();
}

QString TForm_About::Version() const {
    return FText_Version->text();
}

QStringList TForm_About::Texts() const {
    QStringList texts{FText_Name->text(), FText_Version->text()};
    for (const QLabel *label : FText)
        texts << label->text();
    texts << FButton_Close->text();
    return texts;
}

} // namespace trelvo
