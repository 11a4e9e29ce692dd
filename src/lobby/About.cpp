#include "About.h"
#include "Log.h"

#include "common/Exceptions.h"
#include "kit/AssetLoader.h"

#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

namespace trelvo {

namespace {

const char *const kVersion = "1.30";

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

QFont Font(int pixels, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFrame *Panel(QWidget *parent, int x, int y, int w, int h) {
    auto *panel = new QFrame(parent);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setGeometry(x, y, w, h);
    return panel;
}

// A mirror image of a label under it, fading out downwards: Length of the label's height shows,
// starting at Opacity.
class TReflection : public QWidget {
public:
    TReflection(QWidget *parent, QWidget *source, double opacity, int offset, double length)
        : QWidget(parent), FSource(source), FOpacity(opacity) {
        const int h = static_cast<int>(source->height() * length);
        setGeometry(source->x(), source->y() + source->height() + offset, source->width(), h);
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent *) override {
        const QImage shot = FSource->grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
        QImage mirror = shot.mirrored(false, true).copy(0, 0, shot.width(), height());
        QPainter mask(&mirror);
        mask.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(0, 0, 0, height());
        fade.setColorAt(0, QColor(0, 0, 0, static_cast<int>(255 * FOpacity)));
        fade.setColorAt(1, QColor(0, 0, 0, 0));
        mask.fillRect(mirror.rect(), fade);
        mask.end();
        QPainter(this).drawImage(0, 0, mirror);
    }

private:
    QWidget *FSource;
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

    FPanel_Top = Panel(this, 0, 0, 425, 97);
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
    // On its baseline, so that the mirror image starts right under the letters.
    FText_Name->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    new TReflection(FLayout1, FText_Name, 0.6, -5, 0.45);
    FText_Version = Line(FLayout1, QString(), 50, 20, Font(15, false));

    FPanel2 = Panel(this, 0, 96, 425, 255);
    for (size_t i = 0; i < FText.size(); ++i) {
        const TCredit &credit = kCredits[i];
        QLabel *label = Line(FPanel2, QString(), credit.top, 17, Font(12, credit.bold));
        // Names are trimmed by character rather than wrapped into the next line.
        label->setText(QFontMetrics(label->font())
                           .elidedText(QString::fromUtf8(credit.text), Qt::ElideRight, label->width()));
        FText[i] = label;
    }

    FPanel3 = Panel(this, 0, 349, 425, 49);
    FButton_Close = new QPushButton(QStringLiteral("Закрыть"), FPanel3);
    FButton_Close->setGeometry((425 - 100) / 2, (49 - 25) / 2, 100, 25);
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
