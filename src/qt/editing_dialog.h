// One modal dialog class for the four editing dialogs: built from a dialog
// table (layout in dialog units) and driven by the shared dialog protocol.
#pragma once

#include <QDialog>
#include <QFontMetrics>
#include <QRect>
#include <functional>
#include <map>

#include "model/records.h"
#include "shell/dialogs.h"

class QLabel;
class QLineEdit;

namespace morbilex {

// The pixels of one horizontal and one vertical dialog unit, times 4 and 8:
// the average character width and the character height of the dialog font,
// measured the way the Windows dialog manager measures them.
struct DialogBaseUnits {
    int width;
    int height;
};
DialogBaseUnits dialog_base_units(const QFontMetrics& metrics);
// A rectangle in dialog units turned into pixels, rounded to the nearest pixel.
QRect dialog_units_to_pixels(const DialogBaseUnits& units, int x, int y, int width, int height);

class EditingDialog : public QDialog, private DialogControls {
    Q_OBJECT
public:
    // owner: the main window; the dialog opens at the table's position relative
    // to owner_client, the owner's client area. The classic view's dialog
    // has no line for a refusal.
    EditingDialog(const DialogTable& table, Records& records, QWidget* owner, QWidget* owner_client,
                  bool classic_view = false);

    // Runs modally: 0 after OK, 1 after Cancel, Esc or the close box.
    int run();
    // What Help and F1 do (nothing without it).
    void set_help(std::function<void()> help) { help_ = std::move(help); }

    // Esc and the close box: the Cancel of the protocol.
    void reject() override;

protected:
    // The first field takes the focus with its text selected.
    void showEvent(QShowEvent* event) override;
    // F1 is the Help button's key.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void set_text(int control_id, const char* text) override;
    std::string get_text(int control_id) override;

    void build_controls(const DialogBaseUnits& units);
    // The field takes the focus with its whole text selected.
    static void select_field(QLineEdit& field);
    QWidget* create_control(const ControlSpec& control);
    // A button's control id through the shared dialog procedure.
    void command(int control_id);

    const DialogTable& table_;
    Records& records_;
    bool classic_view_;
    QLineEdit* first_edit_ = nullptr;
    std::map<int, QLineEdit*> edits_;
    std::map<int, QLabel*> displays_;
    QLabel* refusal_line_ = nullptr;  // the explorer view's reason for a refused OK
    std::function<void()> help_;
};

}  // namespace morbilex
