// The fit's question: which fields to fit and by what objective.
#include "qt/fit_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <algorithm>
#include <span>
#include <vector>

#include "explore/field_help.h"

namespace morbilex {
namespace {

// A list of the labels, named, the current one chosen.
QComboBox* labelled_list(const char* name, std::span<const char* const> labels, int current) {
    auto* list = new QComboBox;
    list->setObjectName(QString::fromLatin1(name));
    for (const char* label : labels)
        list->addItem(QString::fromLatin1(label));
    list->setCurrentIndex(current);
    return list;
}

// OK and Cancel under the layout's rows; whether the user chose OK.
bool accepted(QDialog& dialog, QVBoxLayout& layout) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout.addWidget(buttons);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

Asked ask_fit_choice(QWidget* parent, FitChoice& choice, InterventionMode mode) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("fit_choice"));
    dialog.setWindowTitle(QString::fromLatin1(FIT_CHOICE_CAPTION));
    auto* layout = new QVBoxLayout(&dialog);
    auto* fields_box = new QGroupBox(QStringLiteral("Fit these fields (the others stay as set)"));
    auto* grid = new QGridLayout(fields_box);
    std::vector<std::pair<const FitField*, QCheckBox*>> boxes;
    const auto fields = fit_fields();
    // Two columns: the model's fields, then the one-time window's.
    const int rows = static_cast<int>((fields.size() + 1) / 2);
    for (const FitField& field : fields) {
        auto* box = new QCheckBox(QString::fromStdString(fit_field_label(field)));
        box->setObjectName(QString::fromLatin1(field.name));
        const bool offered = fit_field_offered(field, mode);
        box->setEnabled(offered);
        box->setChecked(offered && std::find(choice.fields.begin(), choice.fields.end(),
                                             field.name) != choice.fields.end());
        if (const FieldHelp* help = field_help(field.name))
            box->setToolTip(QString::fromUtf8(help->meaning));
        if (!offered) box->setToolTip(QStringLiteral("Only with the one-time intervention"));
        const int index = static_cast<int>(boxes.size());
        grid->addWidget(box, index % rows, index / rows);
        boxes.emplace_back(&field, box);
    }
    layout->addWidget(fields_box);
    auto* form = new QFormLayout;
    QComboBox* objective =
        labelled_list("fit_objective", FIT_OBJECTIVE_LABELS, static_cast<int>(choice.objective));
    form->addRow(QStringLiteral("&Objective:"), objective);
    layout->addLayout(form);
    if (!accepted(dialog, *layout)) return Asked::Cancelled;
    choice.fields.clear();
    for (const auto& [field, box] : boxes)
        if (box->isEnabled() && box->isChecked()) choice.fields.emplace_back(field->name);
    choice.objective = static_cast<FitObjective>(objective->currentIndex());
    return Asked::Chosen;
}

Asked ask_counts_choice(QWidget* parent, CountsChoice& choice) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("counts_choice"));
    dialog.setWindowTitle(QString::fromLatin1(COUNTS_CHOICE_CAPTION));
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    auto* column = new QComboBox;
    column->setObjectName(QStringLiteral("data_column"));
    for (const std::string& name : choice.columns)
        column->addItem(QString::fromStdString(name));
    column->setCurrentText(QString::fromStdString(choice.column));
    column->setEnabled(choice.columns.size() > 1);
    form->addRow(QStringLiteral("Count &column:"), column);
    QComboBox* measure =
        labelled_list("data_series", COUNT_MEASURE_LABELS, static_cast<int>(choice.measure));
    form->addRow(QStringLiteral("The counts &are:"), measure);
    const auto line = [&form](const char* name, const char* label, const std::string& text) {
        auto* edit = new QLineEdit(QString::fromStdString(text));
        edit->setObjectName(QString::fromLatin1(name));
        form->addRow(QString::fromLatin1(label), edit);
        return edit;
    };
    QLineEdit* population = line("population", "&Population counted:", choice.population);
    QLineEdit* reporting = line("reporting", "&Reporting fraction:", choice.reporting);
    QLineEdit* day_zero = line("data_day_zero", "&Date of day 0 (YYYY-MM-DD):", choice.day_zero);
    day_zero->setPlaceholderText(QStringLiteral("the first date"));
    day_zero->setEnabled(choice.dates);
    layout->addLayout(form);
    if (!accepted(dialog, *layout)) return Asked::Cancelled;
    if (choice.columns.size() > 1) choice.column = column->currentText().toStdString();
    choice.measure = static_cast<CountMeasure>(measure->currentIndex());
    choice.population = population->text().trimmed().toStdString();
    choice.reporting = reporting->text().trimmed().toStdString();
    choice.day_zero = day_zero->text().trimmed().toStdString();
    return Asked::Chosen;
}

}  // namespace morbilex
