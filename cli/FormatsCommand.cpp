#include "cli/FormatsCommand.h"

#include "convert/FormatCatalog.h"

#include <ostream>

void PrintFormats(std::ostream& out) {
    for (const TFormatClass formatClass : {fcVideo, fcDevice, fcAudio}) {
        out << FormatClassName(formatClass) << "\n";
        for (const TFormatInfo& format : AllFormats()) {
            if (format.Class != formatClass)
                continue;
            out << "  " << format.Name << " (" << format.Extension << "), " << format.Presets.size()
                << " presets, default " << format.DefaultPreset << "\n";
            for (size_t i = 0; i < format.Presets.size(); ++i) {
                const bool isDefault = static_cast<int>(i) == format.DefaultPreset;
                out << "    " << (isDefault ? "* " : "  ") << i << ": " << format.Presets[i] << "\n";
            }
        }
    }
}
