#include "TVelComboBox.h"

#include "entity/Error.h"
#include "platform/Modal.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <QTableView>
#include <algorithm>
#include <unordered_map>

namespace corvo::controls {

/// The shown entries as the list's rows, read when the view asks; at least one (empty) row.
class ComboListModel final : public QAbstractTableModel {
public:
    ComboListModel(const ComboEntries& entries, QObject* parent)
        : QAbstractTableModel(parent), m_entries(entries)
    {
    }

    void setShown(std::vector<int> shown)
    {
        beginResetModel();
        m_shown = std::move(shown);
        endResetModel();
    }
    const std::vector<int>& shown() const noexcept { return m_shown; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(1, static_cast<int>(m_shown.size()));
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 3;
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid()) return {};
        const auto row = static_cast<std::size_t>(index.row());
        if (row >= m_shown.size()) return QString();
        return m_entries.text(m_shown[row], static_cast<ComboEntries::Column>(index.column()));
    }

private:
    const ComboEntries& m_entries;
    std::vector<int> m_shown;
};

namespace {

class DropDownButton final : public QAbstractButton {
public:
    explicit DropDownButton(QWidget* parent) : QAbstractButton(parent)
    {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::ArrowCursor);
    }
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionButton option;
        option.initFrom(this);
        option.state |= isDown() ? QStyle::State_Sunken : QStyle::State_Raised;
        painter.drawControl(QStyle::CE_PushButtonBevel, option);
        QPoint at((width() - 12) / 2, (height() - 12) / 2);
        if (isDown()) at += QPoint(1, 1);
        painter.drawImage(at, comboDropDownGlyph());
    }
};

// Text widths while loading: the sum of the characters' advances, each measured once, as the
// list's columns need no more; shaping every text costs most of a large load. Texts with
// characters outside Latin and CJK (marks, joined scripts, surrogates) are measured whole.
class TextWidths {
public:
    explicit TextWidths(const QFont& font) : m_metrics(font) {}

    int of(const QString& text)
    {
        int width = 0;
        for (const QChar ch : text) {
            const char16_t c = ch.unicode();
            if (!simple(c)) return m_metrics.horizontalAdvance(text);
            auto [it, added] = m_advances.try_emplace(c, 0);
            if (added) it->second = m_metrics.horizontalAdvance(ch);
            width += it->second;
        }
        return width;
    }

private:
    static bool simple(char16_t c) noexcept
    {
        return (c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c < 0x250) || (c >= 0x3000 && c < 0x3100) ||
               (c >= 0x3400 && c < 0x4DC0) || (c >= 0x4E00 && c < 0xA000) ||
               (c >= 0xFF00 && c < 0xFFF0);
    }

    QFontMetrics m_metrics;
    std::unordered_map<char16_t, int> m_advances;
};

bool startsTyping(const QString& text)
{
    if (text.size() != 1) return false;
    const char16_t c = text[0].unicode();
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'+' || c == u'-' || c == u'.';
}

// Focus that comes and goes with the window (another window, a menu) is not the user
// leaving the box.
bool windowFocusChange(const QFocusEvent* event)
{
    return event->reason() == Qt::ActiveWindowFocusReason ||
           event->reason() == Qt::PopupFocusReason;
}

} // namespace

QImage comboDropDownGlyph()
{
    QImage glyph(12, 12, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    for (int y = 3; y <= 7; ++y)
        for (int x = y - 2; x <= 12 - y; ++x)
            glyph.setPixel(x, y, qRgb(0, 0, 0));
    return glyph;
}

TVelComboBox::TVelComboBox(QWidget* parent)
    : QLineEdit(parent), m_model(new ComboListModel(m_entries, this)),
      m_button(new DropDownButton(this))
{
    setFrame(true); // stands in for the soft bevel until the skin draws it
    // The input method stays closed: codes and mnemonics are plain letters, and an active
    // Chinese input method would otherwise take the keys before the box could filter by them.
    setInputMethodHints(Qt::ImhPreferLatin);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMinimumHeight(14);
    connect(m_button, &QAbstractButton::clicked, this, &TVelComboBox::dropDownClicked);
    connect(this, &QLineEdit::textEdited, this, &TVelComboBox::FilterList);
    placeButton();
}

TVelComboBox::~TVelComboBox()
{
    if (m_list) {
        m_list->removeEventFilter(this);
        m_list->viewport()->removeEventFilter(this);
        delete m_list.data();
    }
}

// Entries

void TVelComboBox::LoadFromDataSet(TClientDataSet* dataSet, std::string_view keyField,
                                   std::string_view ime1Field, std::string_view ime2Field,
                                   std::string_view displayField)
{
    using Outcome = ComboLoadResult::Outcome;
    m_model->setShown({});
    ComboLoadResult result;
    try {
        result = loadComboEntries(m_entries, dataSet, keyField, ime1Field, ime2Field, displayField);
    } catch (const Error& error) {
        m_entries.clear();
        message(QString::fromUtf8(error.what()));
        return;
    }
    switch (result.outcome) {
    case Outcome::NoDataSet:
        return;
    case Outcome::BadKeyField:
        message(QStringLiteral(u"请指定内码字段名,或指定错误!"));
        return;
    case Outcome::BadDisplayField:
        message(QStringLiteral(u"请指定下拉列表要显示的字段名!"));
        return;
    case Outcome::Loaded:
        break;
    }
    if (result.hideIme1) SetIme1Visible(false);
    if (result.hideIme2) SetIme2Visible(false);

    TextWidths widths(font());
    for (int i = 0; i < m_entries.count(); ++i) {
        for (int column = 0; column < 3; ++column) {
            const QString& text = m_entries.text(i, static_cast<ComboEntries::Column>(column));
            if (!text.isEmpty()) m_widths.keep(column, widths.of(text));
        }
        m_widths.entryLoaded(i + 1, m_lines);
    }
    if (m_list) fillAll(); // a list already made shows the new entries, not an empty row
}

void TVelComboBox::ClearItems()
{
    m_model->setShown({});
    m_entries.clear();
}

int TVelComboBox::ItemCount() const noexcept
{
    return m_entries.count();
}

void TVelComboBox::GetItem(int i, TItemField& item) const
{
    if (i < 0 || i >= m_entries.count()) {
        message(QStringLiteral(u"超出范围"));
        return;
    }
    item.InnerCode = m_entries.text(i, ComboEntries::Code);
    item.Ime1Text = m_entries.text(i, ComboEntries::Ime1);
    item.Ime2Text = m_entries.text(i, ComboEntries::Ime2);
    item.DisplayText = m_entries.text(i, ComboEntries::Display);
}

QStringList TVelComboBox::shownCodes() const
{
    QStringList codes;
    for (int entry : m_model->shown())
        codes.append(m_entries.text(entry, ComboEntries::Code));
    return codes;
}

// The choice

void TVelComboBox::setChoice(int entry)
{
    m_innerCode = m_entries.text(entry, ComboEntries::Code);
    m_ime1Text = m_entries.text(entry, ComboEntries::Ime1);
    m_ime2Text = m_entries.text(entry, ComboEntries::Ime2);
    setText(m_entries.text(entry, ComboEntries::Display)); // setText is quiet: no textEdited
}

void TVelComboBox::clearChoice()
{
    m_innerCode.clear();
    m_ime1Text.clear();
    m_ime2Text.clear();
}

void TVelComboBox::SetInnerCode(const QString& code)
{
    if (code.isEmpty()) {
        clearChoice();
        setText(QString());
        return;
    }
    if (const int entry = m_entries.findInnerCode(code); entry >= 0) {
        setChoice(entry);
        m_innerCode = code;
        return;
    }
    if (m_showErr) {
        message(QStringLiteral(u"内码转换出错!"));
        return;
    }
    if (!m_strict) {
        m_innerCode = m_ime1Text = m_ime2Text = code;
        setText(code);
    }
}

void TVelComboBox::ResolveText()
{
    const std::vector<int>& shown = m_model->shown();
    if (!shown.empty() && m_list && m_list->hasFocus()) {
        const int row = m_list->currentIndex().row();
        if (row >= 0 && static_cast<std::size_t>(row) < shown.size()) {
            setChoice(shown[static_cast<std::size_t>(row)]);
            return;
        }
    }
    const QString typed = text();
    if (trimBlanks(typed).isEmpty()) {
        clearChoice();
        setText(QString());
        return;
    }
    if (const int entry = m_entries.resolve(typed); entry >= 0)
        setChoice(entry);
    else if (!m_strict)
        m_innerCode = typed;
}

void TVelComboBox::FilterList()
{
    m_model->setShown(m_entries.filter(text()));
    if (m_list) {
        selectFirstRow();
        layoutList();
        if (m_enterList) showList();
    }
    if (text().isEmpty()) clearChoice();
}

// Properties

void TVelComboBox::SetIme1Visible(bool on)
{
    m_ime1Visible = on;
    if (listVisible()) layoutList();
}

void TVelComboBox::SetIme2Visible(bool on)
{
    m_ime2Visible = on;
    if (listVisible()) layoutList();
}

void TVelComboBox::SetLines(int lines)
{
    m_lines = std::clamp(lines, 0, 1000);
    if (listVisible()) layoutList();
}

// The list

void TVelComboBox::makeList()
{
    auto* view = new QTableView(window() == this ? this : window());
    view->setModel(m_model);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setShowGrid(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setTabKeyNavigation(false);
    view->setWordWrap(false);
    view->setFrameStyle(QFrame::Box | QFrame::Plain); // flat
    QHeaderView* rows = view->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(18);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    view->horizontalHeader()->setMinimumSectionSize(0);
    view->setFont(font());
    view->setPalette(palette());
    // Not in the tab order: it is reached with the Down key or the mouse.
    view->setFocusPolicy(Qt::ClickFocus);
    view->hide();
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
    m_list = view;
}

void TVelComboBox::layoutList()
{
    if (!m_list) return;
    QWidget* host = m_list->parentWidget();
    const QPoint at = host == this ? QPoint(0, 0) : mapTo(host, QPoint(0, 0));
    ComboListPlacement box;
    box.boxLeft = at.x();
    box.boxTop = at.y();
    box.boxWidth = width();
    box.boxHeight = height();
    box.parentWidth = host->width();
    box.parentHeight = host->height();
    box.ime1Visible = m_ime1Visible;
    box.ime2Visible = m_ime2Visible;
    box.lines = m_lines;
    const ComboListGeometry g = layoutComboList(box, m_widths);
    for (int column = 0; column < 3; ++column) {
        const int width = g.columnWidths[static_cast<std::size_t>(column)];
        m_list->setColumnHidden(column, width <= 1);
        if (width > 1) m_list->setColumnWidth(column, width);
    }
    m_list->setGeometry(g.left, g.top, g.width, g.height);
}

void TVelComboBox::showList()
{
    if (!m_list) return;
    layoutList();
    m_list->show();
    m_list->raise();
}

void TVelComboBox::hideList()
{
    if (m_list) m_list->hide();
}

bool TVelComboBox::listVisible() const
{
    return m_list && m_list->isVisible();
}

void TVelComboBox::fillAll()
{
    m_model->setShown(m_entries.filter(QStringView()));
    selectFirstRow();
}

void TVelComboBox::selectFirstRow()
{
    if (m_list) m_list->setCurrentIndex(m_model->index(0, 0));
}

void TVelComboBox::dropDownClicked()
{
    setFocus(Qt::OtherFocusReason);
    if (!m_list) {
        makeList();
        fillAll();
    }
    layoutList();
    if (listVisible())
        hideList();
    else
        showList();
}

void TVelComboBox::pickFromList()
{
    ResolveText();
    setFocus(Qt::OtherFocusReason);
    hideList();
}

bool TVelComboBox::listKeyPress(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
        if (m_list->currentIndex().row() > 0) return false;
        setFocus(Qt::OtherFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        pickFromList();
        return true;
    case Qt::Key_Escape:
        setFocus(Qt::OtherFocusReason); // before hiding, or Qt hands the focus elsewhere
        hideList();
        return true;
    default:
        break;
    }
    if (!startsTyping(event->text())) return false;
    setFocus(Qt::OtherFocusReason);
    setText(event->text());
    setCursorPosition(1);
    FilterList();
    return true;
}

void TVelComboBox::listFocusOut()
{
    if (!hasFocus()) setFocus(Qt::OtherFocusReason);
    hideList();
}

// Events

void TVelComboBox::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    // The window coming back with the box still its focus is no new entering; the window's
    // first activation that lands on the box is.
    if (windowFocusChange(event) && m_entered) return;
    m_entered = true;
    selectAll();
    if (!m_list) makeList();
    layoutList();
    if (m_enterList) showList();
    fillAll();
}

void TVelComboBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (windowFocusChange(event)) return;
    m_entered = false;
    if (m_list && !m_list->hasFocus()) hideList();
    if (trimBlanks(text()).isEmpty()) SetInnerCode(QString());
}

void TVelComboBox::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Down:
        if (!m_list) break;
        showList();
        m_list->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Accepted here so that no default button of the dialog fires.
        if (trimBlanks(text()).isEmpty())
            clearChoice();
        else
            ResolveText();
        event->accept();
        return;
    case Qt::Key_Escape:
        // Hides the list; with no list shown, Esc still reaches the dialog.
        if (listVisible()) {
            hideList();
            event->accept();
            return;
        }
        break;
    default:
        break;
    }
    QLineEdit::keyPressEvent(event);
}

void TVelComboBox::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    placeButton();
}

void TVelComboBox::setFrame(bool on)
{
    QLineEdit::setFrame(on);
    placeButton();
}

void TVelComboBox::placeButton()
{
    const int allowance = hasFrame() ? 4 : 2;
    const int buttonWidth = height() * 4 / 5;
    m_button->setGeometry(width() - allowance / 2 - buttonWidth, allowance / 2, buttonWidth,
                          height() - allowance);
    // Text never runs under the button: the text area ends at width - button width - 2.
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents = style()->subElementRect(QStyle::SE_LineEditContents, &option, this);
    const int textRight = width() - buttonWidth - 2;
    setTextMargins(0, 0, std::max(0, contents.x() + contents.width() - textRight), 0);
}

void TVelComboBox::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (!m_list) return;
    if (event->type() == QEvent::FontChange) m_list->setFont(font());
    if (event->type() == QEvent::PaletteChange) m_list->setPalette(palette());
}

bool TVelComboBox::event(QEvent* event)
{
    const bool handled = QLineEdit::event(event);
    // The list lives on the top-level window; follow the box to a new one.
    if (event->type() == QEvent::ParentChange && m_list && window() != this &&
        m_list->parentWidget() != window()) {
        m_list->setParent(window());
        m_list->hide();
    }
    return handled;
}

QVariant TVelComboBox::inputMethodQuery(Qt::InputMethodQuery query) const
{
    // The line edit would report itself open to input methods whenever it is editable.
    if (query == Qt::ImEnabled) return false;
    return QLineEdit::inputMethodQuery(query);
}

bool TVelComboBox::eventFilter(QObject* watched, QEvent* event)
{
    if (m_list && watched == m_list.data()) {
        if (event->type() == QEvent::KeyPress) return listKeyPress(static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::FocusOut &&
            !windowFocusChange(static_cast<QFocusEvent*>(event)))
            listFocusOut();
    } else if (m_list && watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseButtonRelease ||
            event->type() == QEvent::MouseButtonDblClick) {
            pickFromList();
            return true;
        }
    }
    return QLineEdit::eventFilter(watched, event);
}

void TVelComboBox::message(const QString& text) const
{
    QMessageBox box(QMessageBox::Information, QCoreApplication::applicationName(), text,
                    QMessageBox::Ok, window());
    platform::execModal(box);
}

} // namespace corvo::controls
