#pragma once
// Dispatch tables: a control's methods and events by id, name and automation type. The
// table is the one description of a control's interface; every host (the COM shell,
// `vexa call`, tests) reaches the control through it.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "common/text.hpp"

namespace vexa {

// Automation values as controls take and return them: bool, long (32 bits), string, and
// double for the few figures that outgrow a long (a drive's free bytes).
enum class ValueType { Empty, Bool, Long, String, Double };
using Value = std::variant<std::monostate, bool, std::int32_t, std::string, double>;

ValueType TypeOf(const Value& value);
// "bool", "long", "string", "double"; "void" for Empty.
std::string_view TypeName(ValueType type);
// The value that `text` spells as `type`: "true" or "false" (also "1", "0" and the
// automation true "-1"), a decimal long or double, or any text. Nullopt if it spells none.
std::optional<Value> ParseValue(ValueType type, std::string_view text);
// As ParseValue reads it; strings as they are, nothing for Empty.
std::string FormatValue(const Value& value);

struct Parameter {
    std::string_view name;
    ValueType type;
};

struct EventEntry {
    std::int32_t id;
    std::string_view name;
    std::vector<Parameter> parameters;
};

class EventSink {
public:
    virtual ~EventSink() = default;
    // On the thread that owns the control; `arguments` match the event's parameters.
    virtual void Raise(const EventEntry& event, const std::vector<Value>& arguments) = 0;
};

struct MethodInfo {
    std::int32_t id;
    std::string_view name;
    std::vector<Parameter> parameters;
    ValueType result;
};

template <typename Control>
struct MethodEntry : MethodInfo {
    // Called with arguments already checked against the parameters.
    std::function<Value(Control&, const std::vector<Value>&)> call;
};

enum class InvokeStatus { Done, BadParameterCount, TypeMismatch, Failed };

struct InvokeResult {
    InvokeStatus status = InvokeStatus::Done;
    Value value;
};

namespace dispatch_detail {

template <typename T>
constexpr ValueType TypeFor() {
    using Plain = std::remove_cvref_t<T>;
    if constexpr (std::is_same_v<Plain, void>)
        return ValueType::Empty;
    else if constexpr (std::is_same_v<Plain, bool>)
        return ValueType::Bool;
    else if constexpr (std::is_same_v<Plain, std::int32_t>)
        return ValueType::Long;
    else if constexpr (std::is_same_v<Plain, double>)
        return ValueType::Double;
    else {
        static_assert(std::is_same_v<Plain, std::string>,
                      "dispatch methods take and return bool, long, double or string");
        return ValueType::String;
    }
}

template <typename Control, typename R, typename... A, std::size_t... I>
Value Call(Control& control, R (Control::*function)(A...), const std::vector<Value>& arguments,
           std::index_sequence<I...>) {
    if constexpr (std::is_void_v<R>) {
        (control.*function)(std::get<std::remove_cvref_t<A>>(arguments[I])...);
        return {};
    } else {
        return Value((control.*function)(std::get<std::remove_cvref_t<A>>(arguments[I])...));
    }
}

}  // namespace dispatch_detail

// A method entry from a member function: parameter and result types follow its
// signature, one name per parameter.
template <typename Control, typename R, typename... A, typename... Names>
MethodEntry<Control> Method(std::int32_t id, std::string_view name, R (Control::*function)(A...), Names... names) {
    static_assert(sizeof...(Names) == sizeof...(A), "one name per parameter");
    MethodEntry<Control> entry{
        {id, name, {Parameter{names, dispatch_detail::TypeFor<A>()}...}, dispatch_detail::TypeFor<R>()}, {}};
    entry.call = [function](Control& control, const std::vector<Value>& arguments) {
        return dispatch_detail::Call(control, function, arguments, std::index_sequence_for<A...>{});
    };
    return entry;
}

// A text property that the control keeps, read and written under one dispatch id.
template <typename Control>
struct PropertyEntry {
    std::int32_t id;
    std::string_view name;
    std::function<std::string(const Control&)> get;
    std::function<void(Control&, const std::string&)> put;
};

template <typename Control>
class DispatchTable {
public:
    DispatchTable(std::vector<MethodEntry<Control>> methods, std::vector<EventEntry> events,
                  std::vector<PropertyEntry<Control>> properties = {})
        : methods_(std::move(methods)), events_(std::move(events)), properties_(std::move(properties)) {}

    const std::vector<MethodEntry<Control>>& Methods() const { return methods_; }
    const std::vector<EventEntry>& Events() const { return events_; }
    const std::vector<PropertyEntry<Control>>& Properties() const { return properties_; }

    // Names compare without regard to case, as automation names do.
    const MethodEntry<Control>* FindMethod(std::string_view name) const {
        for (const auto& method : methods_)
            if (EqualsIgnoreCase(method.name, name)) return &method;
        return nullptr;
    }
    const EventEntry* FindEvent(std::int32_t id) const {
        for (const auto& event : events_)
            if (event.id == id) return &event;
        return nullptr;
    }

private:
    std::vector<MethodEntry<Control>> methods_;
    std::vector<EventEntry> events_;
    std::vector<PropertyEntry<Control>> properties_;
};

// Checks the arguments against the method's parameters, then calls it. Nothing thrown
// inside crosses this boundary: it comes back as Failed.
template <typename Control>
InvokeResult Invoke(Control& control, const MethodEntry<Control>& method, const std::vector<Value>& arguments) {
    if (arguments.size() != method.parameters.size()) return {InvokeStatus::BadParameterCount, {}};
    for (std::size_t i = 0; i < arguments.size(); ++i)
        if (TypeOf(arguments[i]) != method.parameters[i].type) return {InvokeStatus::TypeMismatch, {}};
    try {
        return {InvokeStatus::Done, method.call(control, arguments)};
    } catch (...) {
        return {InvokeStatus::Failed, {}};
    }
}

}  // namespace vexa
