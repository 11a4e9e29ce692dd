#pragma once

#include "protocol/Session.h"

#include <QDialog>

#include <functional>

class QLabel;
class QTableWidget;

namespace trelvo::host {

// "Рейтинг": the game server's best players and the player's own rating and games, asked for again
// with "Обновить".
class TRatingWindow : public QDialog {
public:
    explicit TRatingWindow(QWidget *Parent = nullptr);

    void SetAnswer(const net::TTopAnswer &Answer);
    // A line instead of the own standing while there is no answer (asking, or not connected).
    void SetNote(const QString &Text);
    QString OwnText() const;
    int Rows() const;

    std::function<void()> OnRefresh;

private:
    QTableWidget *FTable;
    QLabel *FOwn;
};

} // namespace trelvo::host
