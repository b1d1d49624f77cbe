#include "qt/sweep_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "picture/painter_surface.h"

namespace morbilex {
namespace {

// Scenarios run between two looks at the window's events.
constexpr long long SCENARIOS_PER_BLOCK = 1024;
constexpr const char* NO_FIELD = "(none)";

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

SweepPictureView::SweepPictureView(SweepDesk& desk, QWidget* parent)
    : QWidget(parent), desk_(desk) {
    setObjectName(QStringLiteral("sweep_picture"));
    setMinimumSize(320, 220);
    setMouseTracking(true);
    setToolTip(QStringLiteral("Click a point or cell to load its scenario"));
}

void SweepPictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    PainterSurface surface(painter);
    desk_.paint(surface, width(), height(), metric);
}

void SweepPictureView::mouseMoveEvent(QMouseEvent* event) {
    if (read_out) read_out(desk_.read_out(event->position().x(), event->position().y()));
}

void SweepPictureView::leaveEvent(QEvent*) {
    if (read_out) read_out({});
}

void SweepPictureView::mousePressEvent(QMouseEvent* event) {
    const long long run_id = desk_.run_id_at(event->position().x(), event->position().y());
    if (run_id > 0 && load) load(run_id);
}

SweepWindow::SweepWindow(Records& records, std::function<void()> loaded, QWidget* parent)
    : QDialog(parent), records_(records), loaded_(std::move(loaded)) {
    setObjectName(QStringLiteral("sweep_window"));
    setWindowTitle(QStringLiteral("Sweep"));
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const char* heads[] = {"Field", "From", "To", "Step"};
    for (int c = 0; c < 4; ++c)
        grid->addWidget(new QLabel(QString::fromLatin1(heads[c]), this), 0, c);
    const std::vector<std::string> names = sweep_field_names();
    for (int k = 0; k < 2; ++k) {
        fields_[k] = new QComboBox(this);
        fields_[k]->setObjectName(QStringLiteral("field_%1").arg(k + 1));
        if (k == 1) fields_[k]->addItem(QString::fromLatin1(NO_FIELD));
        for (const std::string& name : names)
            fields_[k]->addItem(q(name));
        froms_[k] = new QLineEdit(this);
        tos_[k] = new QLineEdit(this);
        steps_[k] = new QLineEdit(this);
        grid->addWidget(fields_[k], k + 1, 0);
        grid->addWidget(froms_[k], k + 1, 1);
        grid->addWidget(tos_[k], k + 1, 2);
        grid->addWidget(steps_[k], k + 1, 3);
        const auto suggest = [this, k] {
            const std::string name = fields_[k]->currentText().toStdString();
            const bool none = name == NO_FIELD;
            const SweepAxisTexts texts = none ? SweepAxisTexts{} : suggested_axis(records_, name);
            froms_[k]->setText(q(texts.from));
            tos_[k]->setText(q(texts.to));
            steps_[k]->setText(q(texts.step));
            for (QLineEdit* edit : {froms_[k], tos_[k], steps_[k]})
                edit->setEnabled(!none);
        };
        connect(fields_[k], &QComboBox::currentIndexChanged, this, suggest);
        suggest();
    }
    fields_[0]->setCurrentText(QStringLiteral("R_0"));
    layout->addLayout(grid);

    auto* shown = new QHBoxLayout;
    shown->addWidget(new QLabel(QStringLiteral("&Column:"), this));
    column_ = new QComboBox(this);
    column_->setObjectName(QStringLiteral("column"));
    for (const std::string& name : sweep_column_names())
        column_->addItem(q(name));
    column_->setCurrentText(QStringLiteral("peak_infectious"));
    static_cast<QLabel*>(shown->itemAt(0)->widget())->setBuddy(column_);
    shown->addWidget(column_, 1);
    lines_ = new QRadioButton(QStringLiteral("&Line chart"), this);
    heat_map_ = new QRadioButton(QStringLiteral("&Heat map"), this);
    heat_map_->setChecked(true);
    shown->addWidget(lines_);
    shown->addWidget(heat_map_);
    run_ = new QPushButton(QStringLiteral("&Run"), this);
    stop_ = new QPushButton(QStringLiteral("&Stop"), this);
    run_->setDefault(true);
    shown->addWidget(run_);
    shown->addWidget(stop_);
    layout->addLayout(shown);

    progress_ = new QProgressBar(this);
    progress_->setRange(0, 1000);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    auto* progress = new QHBoxLayout;
    progress->addWidget(progress_, 1);
    progress->addWidget(status_, 2);
    layout->addLayout(progress);

    picture_ = new SweepPictureView(desk_, this);
    layout->addWidget(picture_, 1);
    read_out_ = new QLabel(this);
    read_out_->setObjectName(QStringLiteral("read_out"));
    read_out_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(read_out_);

    picture_->metric = column_->currentText().toStdString();
    picture_->read_out = [this](const std::string& text) { read_out_->setText(q(text)); };
    picture_->load = [this](long long run_id) {
        if (desk_.load(records_, run_id)) {
            loaded_();
        } else {
            status_->setText(QStringLiteral("Not loaded: ") + q(desk_.refusal()));
        }
    };
    // Another column is drawn from the sums already gathered: no run.
    connect(column_, &QComboBox::currentTextChanged, this, [this](const QString& text) {
        picture_->metric = text.toStdString();
        picture_->update();
    });
    blocks_ = new QTimer(this);
    blocks_->setInterval(0);
    connect(blocks_, &QTimer::timeout, this, &SweepWindow::next_block);
    connect(run_, &QPushButton::clicked, this, &SweepWindow::run);
    connect(stop_, &QPushButton::clicked, this, [this] {
        desk_.stop();
        show_state();
    });
    show_state();
}

void SweepWindow::run() {
    SweepRequest request;
    for (int k = 0; k < 2; ++k) {
        const std::string name = fields_[k]->currentText().toStdString();
        if (name == NO_FIELD) continue;
        request.axes[k] = {name, froms_[k]->text().toStdString(), tos_[k]->text().toStdString(),
                           steps_[k]->text().toStdString()};
    }
    // The picture's cells are laid out for the text size it is drawn with.
    QImage probe(1, 1, QImage::Format_RGB32);
    probe.setDevicePixelRatio(picture_->devicePixelRatioF());
    double font = 0.0;
    {
        QPainter painter(&probe);
        PainterSurface surface(painter);
        surface.select_device_default_font();
        font = surface.reading_cell_height();
    }
    desk_.start(records_, request, picture_->width(), picture_->height(), font,
                lines_->isChecked());
    read_out_->clear();
    show_state();
    picture_->update();
}

void SweepWindow::reject() {
    desk_.stop();
    show_state();
    QDialog::reject();
}

void SweepWindow::next_block() {
    desk_.run_block(SCENARIOS_PER_BLOCK);
    show_state();
    picture_->update();
}

void SweepWindow::show_state() {
    const bool running = desk_.state() == SweepDesk::State::Running;
    run_->setEnabled(!running);
    stop_->setEnabled(running);
    if (running && !blocks_->isActive()) blocks_->start();
    if (!running) blocks_->stop();
    const long long total = desk_.total();
    progress_->setValue(total > 0 ? static_cast<int>(desk_.done() * 1000 / total) : 0);
    status_->setText(q(desk_.progress_text()));
}

}  // namespace morbilex
