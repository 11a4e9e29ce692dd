#include "host/RatingWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace trelvo::host {

namespace {

QTableWidgetItem *Cell(const QString &Text, bool Number) {
    auto *item = new QTableWidgetItem(Text);
    item->setTextAlignment(Number ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
    return item;
}

} // namespace

TRatingWindow::TRatingWindow(QWidget *Parent) : QDialog(Parent) {
    setWindowTitle(QStringLiteral("Рейтинг"));
    FTable = new QTableWidget(0, 5, this);
    FTable->setHorizontalHeaderLabels({QStringLiteral("№"), QStringLiteral("Игрок"),
                                       QStringLiteral("Рейтинг"), QStringLiteral("Игры"),
                                       QStringLiteral("Поражения")});
    FTable->verticalHeader()->hide();
    FTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FTable->setSelectionMode(QAbstractItemView::NoSelection);
    FTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    FTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    FOwn = new QLabel(this);
    FOwn->setWordWrap(true);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Закрыть"), QDialogButtonBox::RejectRole);
    QPushButton *refresh = buttons->addButton(QStringLiteral("Обновить"), QDialogButtonBox::ActionRole);
    QObject::connect(refresh, &QPushButton::clicked, this, [this] {
        if (auto handler = OnRefresh)
            handler();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(FTable);
    layout->addWidget(FOwn);
    layout->addWidget(buttons);
    resize(460, 560);
}

void TRatingWindow::SetAnswer(const net::TTopAnswer &Answer) {
    FTable->setRowCount(static_cast<int>(Answer.Rows.size()));
    for (int i = 0; i < static_cast<int>(Answer.Rows.size()); ++i) {
        const net::TTopRow &row = Answer.Rows[static_cast<std::size_t>(i)];
        FTable->setItem(i, 0, Cell(QString::number(i + 1), true));
        FTable->setItem(i, 1, Cell(row.Name, false));
        FTable->setItem(i, 2, Cell(QString::number(row.Rating), true));
        FTable->setItem(i, 3, Cell(QString::number(row.Games), true));
        FTable->setItem(i, 4, Cell(QString::number(row.Losses), true));
    }
    FOwn->setText(QStringLiteral("Ваш рейтинг: %1 (игр: %2, поражений: %3)")
                      .arg(Answer.Own.Rating)
                      .arg(Answer.Own.Games)
                      .arg(Answer.Own.Losses));
}

void TRatingWindow::SetNote(const QString &Text) {
    FOwn->setText(Text);
}

QString TRatingWindow::OwnText() const {
    return FOwn->text();
}

int TRatingWindow::Rows() const {
    return FTable->rowCount();
}

} // namespace trelvo::host
