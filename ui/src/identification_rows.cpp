#include "ui/identification_rows.hpp"

#include "ui/controller_texts.hpp"

namespace hx4x {

std::vector<IdentificationRow> identification_rows(const CounterIdentity& identity) {
    namespace text = controller_text;
    return {
        {text::address_label, identity.resource_name},
        {text::manufacturer_label, identity.manufacturer},
        {text::model_label, identity.model},
        {text::serial_number_label, identity.serial_number},
        {text::firmware_version_label, identity.firmware_version},
    };
}

std::string identification_text(const std::vector<IdentificationRow>& rows) {
    std::string text;
    for (const IdentificationRow& row : rows) {
        text += "\t" + row.label + "\t";
        if (row.label == controller_text::model_label) {
            text += "\t";
        }
        text += row.value + "\n";
    }
    return text;
}

}  // namespace hx4x
