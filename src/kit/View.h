#pragma once

#include <QWidget>

namespace trelvo {

class TForm;

// The one widget that shows a form: paints the scene (only the areas the form marked), and feeds it
// pointer, wheel and key events. It paints nothing and wakes for nothing while the scene is idle.
class TView : public QWidget {
public:
    explicit TView(TForm *form, QWidget *parent = nullptr);
    ~TView() override;

    TForm *Form() const { return FForm; }
    // Forgets the form (it is being destroyed).
    void Detach() { FForm = nullptr; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    TForm *FForm;
};

} // namespace trelvo
