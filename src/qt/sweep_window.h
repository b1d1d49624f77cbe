// The sweep window of the Linux program: one or two fields with from, to and
// step, the column shown, a line chart or a heat map, Run and Stop with
// progress. The sweep runs a block at a time between the window's events;
// the picture is the core's, its read-out follows the mouse, and a click
// loads the scenario under it into the explorer and runs it.
#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>

#include "model/records.h"
#include "picture/sweep_view.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace morbilex {

// The picture of the sweep, painted by the core.
class SweepPictureView : public QWidget {
public:
    SweepPictureView(SweepDesk& desk, QWidget* parent);
    QSize sizeHint() const override { return {560, 380}; }
    std::string metric;
    std::function<void(const std::string&)> read_out;
    std::function<void(long long)> load;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    SweepDesk& desk_;
};

class SweepWindow : public QDialog {
public:
    // load(records changed): the scenario of a click is in the records, run it.
    SweepWindow(Records& records, std::function<void()> loaded, QWidget* parent);

    // The controls, for the tests.
    QComboBox* field(int k) const { return fields_[k]; }
    QLineEdit* from(int k) const { return froms_[k]; }
    QLineEdit* to(int k) const { return tos_[k]; }
    QLineEdit* step(int k) const { return steps_[k]; }
    QComboBox* column() const { return column_; }
    QRadioButton* heat_map() const { return heat_map_; }
    QPushButton* run_button() const { return run_; }
    QPushButton* stop_button() const { return stop_; }
    QLabel* status() const { return status_; }
    QLabel* read_out() const { return read_out_; }
    SweepPictureView* picture() const { return picture_; }
    const SweepDesk& desk() const { return desk_; }
    // Closing the window stops a sweep that runs.
    void reject() override;

private:
    void run();
    void next_block();
    void show_state();

    Records& records_;
    std::function<void()> loaded_;
    SweepDesk desk_;
    QComboBox* fields_[2];
    QLineEdit *froms_[2], *tos_[2], *steps_[2];
    QComboBox* column_;
    QRadioButton* lines_;
    QRadioButton* heat_map_;
    QPushButton* run_;
    QPushButton* stop_;
    QProgressBar* progress_;
    QLabel* status_;
    QLabel* read_out_;
    SweepPictureView* picture_;
    QTimer* blocks_;
    int blocks_since_paint_ = 0;
};

}  // namespace morbilex
