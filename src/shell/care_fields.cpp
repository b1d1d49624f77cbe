#include "shell/care_fields.h"

#include <iterator>

namespace morbilex {
namespace {

template <auto Member>
double shown_care(const Records& records) {
    return records.care.*Member;
}
template <auto Member>
double* stored_care(Records& records, DialogScratch&) {
    return &(records.care.*Member);
}
template <auto Member>
constexpr FieldSpec care_spec(int id, const char* label, const char* format, int read_order,
                              const char* name, FieldRange range) {
    return {id, label, format, read_order, shown_care<Member>, stored_care<Member>, name, range};
}

constexpr CareField CARE_FIELDS[] = {
    {care_spec<&CareParameters::hospital_fraction>(251, "Hospitalised ", "%6.4f", 1,
                                                   "hospital_fraction", FieldRange::Fraction),
     "fraction", "share of the new infectious cases admitted to hospital"},
    {care_spec<&CareParameters::hospital_stay>(252, "Hospital stay ", "%6.2f", 2, "hospital_stay",
                                               FieldRange::AboveZero),
     "days", "mean time a person admitted stays in hospital; above zero"},
    {care_spec<&CareParameters::icu_fraction>(253, "In intensive care ", "%6.4f", 3, "icu_fraction",
                                              FieldRange::Fraction),
     "fraction", "share of the hospital admissions that need intensive care"},
    {care_spec<&CareParameters::icu_stay>(254, "Intensive care stay ", "%6.2f", 4, "icu_stay",
                                          FieldRange::AboveZero),
     "days", "mean time a person stays in intensive care; above zero"},
    {care_spec<&CareParameters::fatality_ratio>(255, "Fatality ratio ", "%7.5f", 5,
                                                "fatality_ratio", FieldRange::Fraction),
     "fraction", "share of those who stop being infectious who die (infection fatality ratio)"},
};

}  // namespace

std::span<const CareField> care_fields() {
    return CARE_FIELDS;
}

const char* care_refusal_text(RefusalReason reason) {
    if (reason == RefusalReason::NotAFraction) return "a share is a fraction from 0 to 1";
    return refusal_reason_text(reason);
}

const CareField* find_care_field(std::string_view name) {
    for (const CareField& field : CARE_FIELDS) {
        if (name == field.dialog_field.name) return &field;
    }
    return nullptr;
}

}  // namespace morbilex
