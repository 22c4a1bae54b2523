#include "engine/sprite/styleformat/FormatTab.h"

#include "engine/sprite/LabelStyle.h"

namespace ZQ2 {

const RTTI* const FormatTab::rttis[] = {&StyleFormat::rtti, nullptr};
const RTTI FormatTab::rtti("FormatTab", FormatTab::rttis);

FormatTab::FormatTab() {
    AddCommand("tabs");
    AddCommand("tab");
}

void FormatTab::DoCommand(int index, const std::string& value, LabelStyle* label) {
    ZQVector<int>& stops = label->GetTabStops();
    if (index == 0) {
        stops.clear();
        std::string rest = value;
        bool more = true;
        while (more) {
            const std::string field = SplitAtComma(rest, rest, &more);
            int stop = 0;
            if (ReadInteger(field, stop))
                stops.push_back(stop);
        }
        return;
    }
    if (stops.empty())
        return;
    if (value.empty()) {
        const float pen = label->GetPenX();
        for (int stop : stops) {
            const float x = static_cast<float>(stop);
            if (x < pen)
                continue;
            label->SetPenX(x);
            return;
        }
        return;
    }
    int n = 0;
    if (ReadInteger(value, n) && n >= 1 && n <= stops.size())
        label->SetPenX(static_cast<float>(stops[n - 1]));
}

}  // namespace ZQ2
