#include "scenehost/call_log.h"

#include <sstream>

namespace nebulastra::scenehost {

void CallLog::add(HostCall call) { calls_.push_back(std::move(call)); }

void CallLog::setResult(std::size_t position, std::int32_t result) {
    if (position < calls_.size()) calls_[position].result = result;
}

void CallLog::clear() { calls_.clear(); }

std::size_t CallLog::count(std::string_view function) const {
    std::size_t n = 0;
    for (const HostCall& c : calls_) n += c.function == function ? 1 : 0;
    return n;
}

std::size_t CallLog::count(std::string_view function, std::int32_t arg) const {
    std::size_t n = 0;
    for (const HostCall& c : calls_) n += (c.function == function && c.arg == arg) ? 1 : 0;
    return n;
}

std::ptrdiff_t CallLog::first(std::string_view function) const {
    for (std::size_t i = 0; i < calls_.size(); ++i)
        if (calls_[i].function == function) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::ptrdiff_t CallLog::last(std::string_view function) const {
    for (std::size_t i = calls_.size(); i-- > 0;)
        if (calls_[i].function == function) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

std::vector<std::string> CallLog::functions() const {
    std::vector<std::string> names;
    names.reserve(calls_.size());
    for (const HostCall& c : calls_) names.push_back(c.function);
    return names;
}

std::string CallLog::dump() const {
    std::ostringstream out;
    for (const HostCall& c : calls_) {
        out << c.function << '(' << c.arg;
        if (c.layer >= 0) out << ", layer " << c.layer;
        out << ") -> " << c.result;
        if (!c.text.empty()) out << " \"" << c.text << '"';
        out << '\n';
    }
    return out.str();
}

} // namespace nebulastra::scenehost
