#include "BareGraphics.h"

namespace trelvo {

TBareGraphics::TBareGraphics() : FMainForm(std::make_unique<TMain_Form>()) {
    // The table cloth's colour, so that the empty window reads as the game's.
    QPalette palette = FMainForm->palette();
    palette.setColor(QPalette::Window, QColor(0x0B, 0x4D, 0x2C));
    FMainForm->setPalette(palette);
    FMainForm->setAutoFillBackground(true);
}

TBareGraphics::~TBareGraphics() = default;

void TBareGraphics::ShowGUI() {
    FMainForm->show();
}

void TBareGraphics::HideGUI() {
    FMainForm->hide();
}

void TBareGraphics::SetParentWindow(quintptr Handle) {
    FMainForm->SetParentWindow(static_cast<WId>(Handle));
}

void TBareGraphics::OnChatResize(int Height, int Width) {
    if (FMainForm->isFullScreen())
        return;
    if (FMainForm->height() != Height)
        FMainForm->resize(FMainForm->width(), Height);
    if (FMainForm->width() != Width)
        FMainForm->resize(Width, FMainForm->height());
}

void TBareGraphics::AllBito(uint8_t, uint8_t) {
    if (OnBitoEnd)
        OnBitoEnd();
}

} // namespace trelvo
