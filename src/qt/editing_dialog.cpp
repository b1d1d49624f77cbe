#include "qt/editing_dialog.h"

#include <QColor>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <algorithm>
#include <utility>
#include <vector>

#include "explore/field_help.h"
#include "shell/dialog_layout.h"

namespace morbilex {

namespace {

// The unit and meaning of the field a control shows.
QString field_tool_tip(const DialogTable& table, int control_id) {
    const FieldSpec* field = find_field(table, control_id);
    const FieldHelp* help = field != nullptr ? field_help(field->name) : nullptr;
    if (help == nullptr) return {};
    return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(help->meaning),
                                         QString::fromUtf8(help->unit));
}

// The name a screen reader says for a field: its name in the table, with its unit.
QString field_accessible_name(const DialogTable& table, int control_id) {
    const FieldSpec* field = find_field(table, control_id);
    if (field == nullptr) return {};
    return QString::fromStdString(accessible_field_name(field->name));
}

// value * numerator / denominator rounded to the nearest integer, halves away
// from zero, for the small non-negative sizes of a dialog.
int scale_rounded(int value, int numerator, int denominator) {
    return (2 * value * numerator + denominator) / (2 * denominator);
}

QString control_name(int control_id) {
    return QStringLiteral("control%1").arg(control_id);
}

ControlArea control_area(const QRect& area) {
    return {area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

// A label that reaches under the field beside it ends a pixel before the field
// begins, so the field does not hide the end of its text.
void end_label_before_fields(QLabel& label, const std::map<int, QLineEdit*>& edits) {
    std::vector<ControlArea> fields;
    for (const auto& [id, edit] : edits)
        fields.push_back(control_area(edit->geometry()));
    QRect area = label.geometry();
    area.setRight(label_right_before_fields(control_area(area), fields, 1) - 1);
    label.setGeometry(area);
}

// A frame and margins around the text need more height than some fonts leave
// in ten dialog units: the edit then grows evenly above and below.
void fit_edit_height(QLineEdit& edit) {
    int needed = edit.minimumSizeHint().height();
    QRect area = edit.geometry();
    if (needed > area.height()) {
        int extra = needed - area.height();
        area.adjust(0, -(extra / 2), 0, extra - extra / 2);
        edit.setGeometry(area);
    }
}

// The free stretch of the control's row between its neighbours (or the
// dialog's edges), two pixels clear of each; never narrower than the control.
std::pair<int, int> free_span(const QWidget& control) {
    const QWidget& dialog = *control.parentWidget();
    QRect area = control.geometry();
    int left = 2;
    int right = dialog.width() - 3;
    for (const QWidget* other : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QRect near = other->geometry();
        if (other == &control || near.top() > area.bottom() || area.top() > near.bottom()) continue;
        if (near.left() > area.right()) right = std::min(right, near.left() - 3);
        if (near.right() < area.left()) left = std::max(left, near.right() + 3);
    }
    return {std::min(left, area.left()), std::max(right, area.right())};
}

enum class Growth { RightFirst, LeftFirst, Evenly };

// A control whose text the font draws wider than the template allows widens
// into the free space beside it: a field to the right first, a right-aligned
// label to the left first, a centred text evenly.
void widen_to(QWidget& control, int needed, Growth growth) {
    QRect area = control.geometry();
    if (needed <= area.width()) return;
    auto [left, right] = free_span(control);
    int extra = needed - area.width();
    int to_right = growth == Growth::RightFirst ? extra
                   : growth == Growth::Evenly   ? extra - extra / 2
                                                : 0;
    area.setRight(std::min(right, area.right() + to_right));
    area.setLeft(std::max(left, area.right() + 1 - needed));
    area.setRight(std::min(right, area.left() + needed - 1));
    control.setGeometry(area);
}

int text_width(const QWidget& control, const QString& text) {
    return control.fontMetrics().horizontalAdvance(text);
}

// The frame and inner margins of a field beside its text.
constexpr int EDIT_FRAME_AND_MARGINS = 10;

}  // namespace

DialogBaseUnits dialog_base_units(const QFontMetrics& metrics) {
    // The average width of the 52 letters, rounded, and the cell height.
    int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QRect dialog_units_to_pixels(const DialogBaseUnits& units, int x, int y, int width, int height) {
    return QRect(scale_rounded(x, units.width, 4), scale_rounded(y, units.height, 8),
                 scale_rounded(width, units.width, 4), scale_rounded(height, units.height, 8));
}

EditingDialog::EditingDialog(const DialogTable& table, Records& records, QWidget* owner,
                             QWidget* owner_client, bool classic_view)
    : QDialog(owner), table_(table), records_(records), classic_view_(classic_view) {
    setWindowTitle(QString::fromLatin1(table.title));
    setObjectName(QString::fromLatin1(table.template_name));
    DialogBaseUnits units = dialog_base_units(fontMetrics());
    // The explorer view tells why an OK was refused on a line of its own.
    const int extra = classic_view_ ? 0 : REFUSAL_LINE_ROOM;
    QRect frame =
        dialog_units_to_pixels(units, table.x, table.y, table.width, table.height + extra);
    setFixedSize(frame.size());
    if (owner_client != nullptr) move(owner_client->mapToGlobal(frame.topLeft()));
    build_controls(units);
    show_dialog_fields(table_, records_, *this);
}

int EditingDialog::run() {
    // Holding only its own window, so that the guide its Help opens can be read.
    setWindowModality(Qt::WindowModal);
    return exec() == QDialog::Accepted ? DIALOG_RESULT_OK : DIALOG_RESULT_CANCEL;
}

void EditingDialog::build_controls(const DialogBaseUnits& units) {
    // Created in template order, which is also the tab order.
    for (const ControlSpec& control : table_.controls) {
        QWidget* widget = create_control(control);
        widget->setObjectName(control_name(control.id));
        const int lower =
            control.control_class == ControlClass::Button && !classic_view_ ? REFUSAL_LINE_ROOM : 0;
        widget->setGeometry(dialog_units_to_pixels(units, control.x, control.y + lower,
                                                   control.width, control.height));
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            fit_edit_height(*edit);
            if (first_edit_ == nullptr) first_edit_ = edit;
        }
    }
    for (QLabel* label : findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        end_label_before_fields(*label, edits_);
        widen_to(*label, text_width(*label, label->text()) + 1, Growth::LeftFirst);
    }
    if (classic_view_) return;
    const ControlSpec line = refusal_line_control(table_);
    refusal_line_ = new QLabel(this);
    refusal_line_->setObjectName(control_name(line.id));
    refusal_line_->setTextFormat(Qt::PlainText);
    refusal_line_->setWordWrap(true);
    refusal_line_->setGeometry(
        dialog_units_to_pixels(units, line.x, line.y, line.width, line.height + 6));
    refusal_line_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = refusal_line_->palette();
    palette.setColor(QPalette::WindowText, QColor(0xb0, 0x00, 0x20));
    refusal_line_->setPalette(palette);
}

void EditingDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (first_edit_ != nullptr) select_field(*first_edit_);
}

void EditingDialog::select_field(QLineEdit& field) {
    field.setFocus(Qt::TabFocusReason);
    // All selected, with the beginning in view.
    int length = int(field.text().size());
    field.setSelection(length, -length);
}

QWidget* EditingDialog::create_control(const ControlSpec& control) {
    switch (control.control_class) {
        case ControlClass::Static: {
            auto* label = new QLabel(QString::fromLatin1(control.text), this);
            label->setTextFormat(Qt::PlainText);
            if (control.id == CONTROL_ID_LABEL) {
                label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            } else {
                // A value that is shown but not edited (S(0)).
                label->setAlignment(Qt::AlignCenter);
                displays_[control.id] = label;
            }
            return label;
        }
        case ControlClass::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            edit->setToolTip(field_tool_tip(table_, control.id));
            edit->setAccessibleName(field_accessible_name(table_, control.id));
            edit->setAccessibleDescription(edit->toolTip());
            edits_[control.id] = edit;
            return edit;
        }
        case ControlClass::Button:
            break;
    }
    auto* button = new QPushButton(QString::fromLatin1(control.text), this);
    // Enter presses OK unless another button has the focus.
    if (control.id == CONTROL_ID_OK) button->setDefault(true);
    int id = control.id;
    connect(button, &QPushButton::clicked, this, [this, id] { command(id); });
    return button;
}

void EditingDialog::reject() {
    command(CONTROL_ID_CANCEL);
}

void EditingDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        command(CONTROL_ID_HELP);
        return;
    }
    QDialog::keyPressEvent(event);
}

void EditingDialog::command(int control_id) {
    // OK closes only when every field was accepted; a refusal leaves the
    // dialog open with the refusing field's text selected, silently in the
    // classic view, with the reason under the fields otherwise. "Help" does
    // nothing.
    if (control_id == CONTROL_ID_HELP && help_) help_();
    DialogCommandOutcome outcome = dialog_command(table_, records_, *this, control_id);
    if (refusal_line_ != nullptr && control_id == CONTROL_ID_OK) {
        refusal_line_->setText(QString::fromLatin1(
            refusal_line(table_, {outcome.refused_control, outcome.refused_reason})));
    }
    if (auto refused = edits_.find(outcome.refused_control); refused != edits_.end())
        select_field(*refused->second);
    if (!outcome.close) return;
    if (outcome.result == DIALOG_RESULT_OK) {
        accept();
    } else {
        QDialog::reject();
    }
}

void EditingDialog::set_text(int control_id, const char* text) {
    QString value = QString::fromLatin1(text);
    if (auto edit = edits_.find(control_id); edit != edits_.end()) {
        QLineEdit& field = *edit->second;
        field.setText(value);
        widen_to(field, text_width(field, value) + EDIT_FRAME_AND_MARGINS, Growth::RightFirst);
        // A text too long even then scrolls, showing its beginning.
        field.setCursorPosition(0);
    }
    if (auto shown = displays_.find(control_id); shown != displays_.end()) {
        shown->second->setText(value);
        widen_to(*shown->second, text_width(*shown->second, value) + 1, Growth::Evenly);
    }
}

std::string EditingDialog::get_text(int control_id) {
    QString value;
    if (auto edit = edits_.find(control_id); edit != edits_.end()) value = edit->second->text();
    if (auto shown = displays_.find(control_id); shown != displays_.end())
        value = shown->second->text();
    // Single-byte text as the platform hands it out: at most 63 characters.
    return value.left(DIALOG_TEXT_CAPACITY - 1).toLatin1().toStdString();
}

}  // namespace morbilex
