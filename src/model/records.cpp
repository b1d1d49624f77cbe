#include "model/records.h"

namespace morbilex {

ResultTable::ResultTable(const ResultTable& other)
    : rows_(other.rows_ ? std::make_unique<Rows>(*other.rows_) : nullptr) {}

ResultTable& ResultTable::operator=(const ResultTable& other) {
    if (this != &other) rows_ = other.rows_ ? std::make_unique<Rows>(*other.rows_) : nullptr;
    return *this;
}

CompartmentValues* ResultTable::rows() {
    if (!rows_) rows_ = std::make_unique<Rows>();
    return rows_->data();
}

Records& program_records() {
    static Records records;
    return records;
}

}  // namespace morbilex
