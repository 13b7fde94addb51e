#include "app/TDBGrid.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>

#include "app/DataSourceTableModel.h"
#include "tables/TTable.h"

namespace orvel {
namespace {

// Draws a line under each row but none between columns, and limits the cell editor to
// the field's width.
class RowLineDelegate : public QStyledItemDelegate {
 public:
  explicit RowLineDelegate(TDBGrid& grid) : QStyledItemDelegate(&grid), grid_(grid) {}

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
  }

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      if (TTable* table = grid_.ShownTable()) line->setMaxLength(table->Fields(index.column()).Size());
      line->setFrame(false);
    }
    return editor;
  }

 private:
  TDBGrid& grid_;
};

}  // namespace

TDBGrid::TDBGrid(TDataSource& dataSource, QWidget* parent)
    : QTableView(parent), model_(new DataSourceTableModel(dataSource, this)) {
  setModel(model_);
  setItemDelegate(new RowLineDelegate(*this));
  setShowGrid(false);
  verticalHeader()->hide();
  horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setHighlightSections(false);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setTabKeyNavigation(false);
  setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::DoubleClicked);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  connect(model_, &DataSourceTableModel::cursorChanged, this, &TDBGrid::FollowTableCursor);
}

TTable* TDBGrid::ShownTable() const { return model_->ShownTable(); }

const TField* TDBGrid::CurrentField() const {
  TTable* table = ShownTable();
  const int column = currentIndex().column();
  if (table == nullptr || column < 0 || column >= table->FieldCount()) return nullptr;
  return &table->Fields(column);
}

void TDBGrid::SelectField(const std::string& fieldName) {
  TTable* table = ShownTable();
  if (table == nullptr) return;
  if (const TField* field = table->FindField(fieldName)) {
    lastColumn_ = field->Index();
    FollowTableCursor();
  }
}

void TDBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  if (current.isValid()) lastColumn_ = current.column();
  TTable* table = ShownTable();
  if (followingTable_ || table == nullptr || !current.isValid() || current.row() + 1 == table->RecNo()) return;
  table->SetRecNo(current.row() + 1);
  FollowTableCursor();
}

void TDBGrid::FollowTableCursor() {
  TTable* table = ShownTable();
  if (table == nullptr || table->RecNo() == 0) return;
  const int column = std::clamp(lastColumn_, 0, std::max(model_->columnCount() - 1, 0));
  const QModelIndex wanted = model_->index(table->RecNo() - 1, column);
  if (wanted == currentIndex()) return;
  followingTable_ = true;
  setCurrentIndex(wanted);
  followingTable_ = false;
}

}  // namespace orvel
