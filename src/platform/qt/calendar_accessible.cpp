#include "platform/qt/calendar_accessible.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QLocale>
#include <QPointer>
#include <utility>

#include "platform/qt/diary_calendar.h"

namespace dv::qt {

namespace {

constexpr int kColumns = 7;
constexpr int kWeeks = 6;
// The table's children: the day names (0..6), then the dates by weeks.
constexpr int kCells = kColumns + kColumns * kWeeks;

// The calendar whose date view `widget` is; none for any other widget.
DiaryCalendar* CalendarOfView(QWidget* widget) {
  if (widget == nullptr || widget->objectName() != QLatin1String("qt_calendar_calendarview")) {
    return nullptr;
  }
  auto* calendar = dynamic_cast<DiaryCalendar*>(widget->parentWidget());
  return calendar != nullptr && calendar->view() == widget ? calendar : nullptr;
}

// The view's model has the day names in its first row and seven days a
// row, after a column of week numbers when they are shown.
int FirstDayColumn(const QAbstractItemView* view) {
  return view->model() != nullptr ? view->model()->columnCount() - kColumns : 0;
}

// The table child that the view's model index stands for; -1 for none.
int ChildOfIndex(const QAbstractItemView* view, int row, int column) {
  const int day = column - FirstDayColumn(view);
  if (row < 0 || row > kWeeks || day < 0 || day >= kColumns) return -1;
  return row * kColumns + day;
}

QString DayName(const DiaryCalendar& calendar, int column) {
  const int day = (static_cast<int>(calendar.firstDayOfWeek()) - 1 + column) % kColumns + 1;
  return QLocale::system().dayName(day, QLocale::LongFormat);
}

// A day name over its column, or a date of the page.
class GridCell : public QAccessibleInterface,
                 public QAccessibleTableCellInterface,
                 public QAccessibleActionInterface {
 public:
  GridCell(DiaryCalendar* calendar, int index) : calendar_(calendar), index_(index) {}

  int index() const { return index_; }

  bool isValid() const override { return !calendar_.isNull() && calendar_->view() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override {
    return isValid() ? calendar_->window()->windowHandle() : nullptr;
  }
  QAccessibleInterface* parent() const override {
    return isValid() ? QAccessible::queryAccessibleInterface(calendar_->view()->viewport())
                     : nullptr;
  }
  QAccessibleInterface* child(int /*index*/) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface* /*child*/) const override { return -1; }
  QAccessibleInterface* childAt(int /*x*/, int /*y*/) const override { return nullptr; }
  QAccessibleInterface* focusChild() const override { return nullptr; }
  void setText(QAccessible::Text /*t*/, const QString& /*text*/) override {}
  QAccessible::Role role() const override {
    return IsDate() ? QAccessible::Cell : QAccessible::ColumnHeader;
  }

  QString text(QAccessible::Text t) const override {
    if (!isValid()) return {};
    if (!IsDate()) return t == QAccessible::Name ? DayName(*calendar_, Column()) : QString();
    const QDate date = Date();
    if (t == QAccessible::Name) return QLocale::system().toString(date, QLocale::LongFormat);
    if (t != QAccessible::Description) return {};
    return QString::fromStdString(calendar_->DayDescription(date));
  }

  QRect rect() const override {
    if (!isValid()) return {};
    const QAbstractItemView* view = calendar_->view();
    const QRect cell =
        IsDate() ? calendar_->CellRect(index_ - kColumns)
                 : view->visualRect(view->model()->index(0, Column() + FirstDayColumn(view)));
    return {view->viewport()->mapToGlobal(cell.topLeft()), cell.size()};
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    if (!isValid()) return state;
    const QAbstractItemView* view = calendar_->view();
    const QRect shown(view->viewport()->mapToGlobal(QPoint(0, 0)), view->viewport()->size());
    if (!view->isVisible() || !shown.intersects(rect())) state.invisible = true;
    if (!IsDate()) return state;
    state.selectable = true;
    state.focusable = true;
    const QDate date = Date();
    state.selected = date == calendar_->selectedDate();
    state.focused = state.selected && view->hasFocus();
    state.disabled = date < calendar_->minimumDate() || date > calendar_->maximumDate();
    return state;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableCellInterface) {
      return static_cast<QAccessibleTableCellInterface*>(this);
    }
    if (type == QAccessible::ActionInterface && IsDate()) {
      return static_cast<QAccessibleActionInterface*>(this);
    }
    return nullptr;
  }

  // The table cell.
  bool isSelected() const override { return IsDate() && state().selected; }
  QList<QAccessibleInterface*> columnHeaderCells() const override {
    QAccessibleInterface* table = parent();
    if (!IsDate() || table == nullptr) return {};
    return {table->child(Column())};
  }
  QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
  int columnIndex() const override { return Column(); }
  int rowIndex() const override { return IsDate() ? index_ / kColumns - 1 : -1; }
  int columnExtent() const override { return 1; }
  int rowExtent() const override { return 1; }
  QAccessibleInterface* table() const override { return parent(); }

  // A date is chosen as a click on it chooses it.
  QStringList actionNames() const override { return {setFocusAction()}; }
  void doAction(const QString& name) override {
    if (isValid() && name == setFocusAction()) {
      calendar_->setSelectedDate(Date());
      calendar_->view()->setFocus();
    }
  }
  QStringList keyBindingsForAction(const QString& /*name*/) const override { return {}; }

 private:
  bool IsDate() const { return index_ >= kColumns; }
  int Column() const { return index_ % kColumns; }
  QDate Date() const { return calendar_->DateAt(index_ - kColumns); }

  QPointer<DiaryCalendar> calendar_;
  int index_;
};

// The view's viewport: the table of the page's dates.
class GridTable : public QAccessibleWidget, public QAccessibleTableInterface {
 public:
  GridTable(QWidget* viewport, DiaryCalendar* calendar)
      : QAccessibleWidget(viewport, QAccessible::Table), calendar_(calendar) {}
  ~GridTable() override {
    for (const QAccessible::Id id : std::as_const(cells_))
      QAccessible::deleteAccessibleInterface(id);
  }
  GridTable(const GridTable&) = delete;
  GridTable& operator=(const GridTable&) = delete;

  bool isValid() const override { return QAccessibleWidget::isValid() && !calendar_.isNull(); }
  int childCount() const override { return kCells; }

  QAccessibleInterface* child(int index) const override {
    if (index < 0 || index >= kCells || !isValid()) return nullptr;
    if (const auto found = cells_.constFind(index); found != cells_.cend()) {
      return QAccessible::accessibleInterface(*found);
    }
    auto* cell = new GridCell(calendar_, index);
    cells_.insert(index, QAccessible::registerAccessibleInterface(cell));
    return cell;
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* cell = dynamic_cast<const GridCell*>(child);
    return cell != nullptr && cell->parent() == this ? cell->index() : -1;
  }

  QAccessibleInterface* childAt(int x, int y) const override {
    if (!isValid()) return nullptr;
    const QAbstractItemView* view = calendar_->view();
    const QModelIndex index = view->indexAt(view->viewport()->mapFromGlobal(QPoint(x, y)));
    return index.isValid() ? child(ChildOfIndex(view, index.row(), index.column())) : nullptr;
  }

  QAccessibleInterface* focusChild() const override {
    if (!isValid() || !calendar_->view()->hasFocus()) return nullptr;
    for (int cell = 0; cell < kColumns * kWeeks; ++cell) {
      if (calendar_->DateAt(cell) == calendar_->selectedDate()) return child(kColumns + cell);
    }
    return nullptr;
  }

  // Named by the month shown.
  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return QAccessibleWidget::text(t);
    return QLocale::system().standaloneMonthName(calendar_->monthShown(), QLocale::LongFormat) +
           ' ' + QString::number(calendar_->yearShown());
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TableInterface) return static_cast<QAccessibleTableInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  // The table: the dates, with the day names as column headers.
  QAccessibleInterface* caption() const override { return nullptr; }
  QAccessibleInterface* summary() const override { return nullptr; }
  QAccessibleInterface* cellAt(int row, int column) const override {
    if (row < 0 || row >= kWeeks || column < 0 || column >= kColumns) return nullptr;
    return child(kColumns + row * kColumns + column);
  }
  int selectedCellCount() const override { return static_cast<int>(selectedCells().size()); }
  QList<QAccessibleInterface*> selectedCells() const override {
    for (int cell = 0; isValid() && cell < kColumns * kWeeks; ++cell) {
      if (calendar_->DateAt(cell) == calendar_->selectedDate()) return {child(kColumns + cell)};
    }
    return {};
  }
  QString columnDescription(int column) const override {
    return isValid() && column >= 0 && column < kColumns ? DayName(*calendar_, column) : QString();
  }
  int columnCount() const override { return kColumns; }
  int rowCount() const override { return kWeeks; }
  QString rowDescription(int /*row*/) const override { return {}; }
  int selectedColumnCount() const override { return 0; }
  int selectedRowCount() const override { return 0; }
  QList<int> selectedColumns() const override { return {}; }
  QList<int> selectedRows() const override { return {}; }
  bool isColumnSelected(int /*column*/) const override { return false; }
  bool isRowSelected(int /*row*/) const override { return false; }
  bool selectRow(int /*row*/) override { return false; }
  bool selectColumn(int /*column*/) override { return false; }
  bool unselectRow(int /*row*/) override { return false; }
  bool unselectColumn(int /*column*/) override { return false; }
  void modelChange(QAccessibleTableModelChangeEvent* /*event*/) override {}

 private:
  QPointer<DiaryCalendar> calendar_;
  mutable QHash<int, QAccessible::Id> cells_;
};

// The view holds the table (its viewport). Qt's table view tells of its
// selection and focus by its own numbering of the model's cells, which
// counts its hidden headers in: (row + 1) * (columns + 1) + column + 1.
// Those numbers, all past this one child, lead to the dates they mean.
class GridView : public QAccessibleWidget {
 public:
  explicit GridView(QAbstractItemView* view) : QAccessibleWidget(view, QAccessible::Pane) {}

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    QAccessibleInterface* table = Table();
    if (index == 0 || table == nullptr) return table;
    const QAbstractItemView* view = View();
    const int stride = view->model() != nullptr ? view->model()->columnCount() + 1 : 0;
    if (stride <= 1 || index < stride) return nullptr;
    const int cell = ChildOfIndex(view, index / stride - 1, index % stride - 1);
    return cell >= 0 ? table->child(cell) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child == Table() ? 0 : -1;
  }
  QAccessibleInterface* childAt(int x, int y) const override {
    QAccessibleInterface* table = Table();
    return table != nullptr && table->rect().contains(x, y) ? table : nullptr;
  }
  QAccessibleInterface* focusChild() const override {
    QAccessibleInterface* table = Table();
    return table != nullptr ? table->focusChild() : nullptr;
  }

 private:
  QAbstractItemView* View() const { return static_cast<QAbstractItemView*>(widget()); }
  QAccessibleInterface* Table() const {
    return isValid() ? QAccessible::queryAccessibleInterface(View()->viewport()) : nullptr;
  }
};

QAccessibleInterface* CalendarFactory(const QString& /*class_name*/, QObject* object) {
  if (object == nullptr || !object->isWidgetType()) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (DiaryCalendar* calendar = CalendarOfView(widget)) return new GridView(calendar->view());
  if (DiaryCalendar* calendar = CalendarOfView(widget->parentWidget());
      calendar != nullptr && calendar->view()->viewport() == widget) {
    return new GridTable(widget, calendar);
  }
  return nullptr;
}

}  // namespace

void InstallCalendarAccessibility() { QAccessible::installFactory(CalendarFactory); }

namespace {

// Tells of a change of `kind` in the date cells that `told` picks.
template <typename Told>
void TellDates(DiaryCalendar* calendar, QAccessible::Event kind, Told told) {
  if (!QAccessible::isActive() || calendar == nullptr || calendar->view() == nullptr) return;
  QAccessibleInterface* table = QAccessible::queryAccessibleInterface(calendar->view()->viewport());
  if (table == nullptr) return;
  for (int cell = 0; cell < kColumns * kWeeks; ++cell) {
    if (!told(calendar->DateAt(cell))) continue;
    QAccessibleEvent event(table->child(kColumns + cell), kind);
    QAccessible::updateAccessibility(&event);
  }
}

}  // namespace

void CalendarPageChanged(DiaryCalendar* calendar) {
  const auto all = [](QDate /*date*/) { return true; };
  TellDates(calendar, QAccessible::NameChanged, all);
  TellDates(calendar, QAccessible::DescriptionChanged, all);
}

void CalendarDatesChanged(DiaryCalendar* calendar, const QSet<QDate>& dates) {
  TellDates(calendar, QAccessible::DescriptionChanged,
            [&dates](QDate date) { return dates.contains(date); });
}

}  // namespace dv::qt
