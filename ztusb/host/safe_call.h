#pragma once
// Calls a COM interface member the way a typed wrapper does: arguments in the wrapper's
// types are passed in the interface's, a failure code is raised as EOleSysError, and the
// trailing out parameter (when the wrapper passes one argument fewer) becomes the result.
//
//   BSTR             <- const WideString&     BSTR*          -> WideString
//   VARIANT_BOOL     <- bool                  VARIANT_BOOL*  -> bool
//   VARIANT*         <- const OleVariant&     VARIANT*       -> OleVariant
//   anything else    <- the same type         Interface**    -> ComPtr<Interface>
//                                             T*             -> T

#include <cstddef>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ztusb/host/com_ptr.h"
#include "ztusb/host/ole_error.h"
#include "ztusb/host/ole_variant.h"

namespace zt::host::safe_call {

template <typename Param, typename Arg>
auto In(const Arg& arg) {
    if constexpr (std::is_same_v<Param, win32::BSTR>) {
        return BstrArg(arg);
    } else if constexpr (std::is_same_v<Param, win32::VARIANT_BOOL>) {
        return static_cast<win32::VARIANT_BOOL>(arg ? VARIANT_TRUE : VARIANT_FALSE);
    } else if constexpr (std::is_same_v<Param, win32::VARIANT*>) {
        return const_cast<win32::VARIANT*>(&arg.Value());
    } else {
        return static_cast<Param>(arg);
    }
}

// The slot an out parameter of type Value* writes into, and what the wrapper returns.
template <typename Value>
struct Out {
    Value value{};
    Value* Put() { return &value; }
    Value Take() { return value; }
};

template <>
struct Out<win32::BSTR> {
    BstrResult text;
    win32::BSTR* Put() { return text.Put(); }
    WideString Take() { return text.Text(); }
};

template <>
struct Out<win32::VARIANT_BOOL> {
    win32::VARIANT_BOOL value = VARIANT_FALSE;
    win32::VARIANT_BOOL* Put() { return &value; }
    bool Take() { return value != VARIANT_FALSE; }
};

template <>
struct Out<win32::VARIANT> {
    OleVariant value;
    win32::VARIANT* Put() { return value.Put(); }
    OleVariant Take() { return value; }
};

template <typename Interface>
    requires std::is_base_of_v<win32::IUnknown, Interface>
struct Out<Interface*> {
    ComPtr<Interface> value;
    Interface** Put() { return value.Put(); }
    ComPtr<Interface> Take() { return std::move(value); }
};

template <typename Object, typename Member, typename... Params, typename ArgTuple, std::size_t... I>
auto Invoke(Object* object, Member member, ArgTuple& args, std::index_sequence<I...>) {
    using ParamTuple = std::tuple<Params...>;
    if constexpr (sizeof...(I) == sizeof...(Params)) {
        OleCheck((object->*member)(In<std::tuple_element_t<I, ParamTuple>>(std::get<I>(args))...));
    } else {
        static_assert(sizeof...(I) + 1 == sizeof...(Params), "one argument per parameter, less the result");
        using OutParam = std::tuple_element_t<sizeof...(Params) - 1, ParamTuple>;
        Out<std::remove_pointer_t<OutParam>> result;
        OleCheck((object->*member)(In<std::tuple_element_t<I, ParamTuple>>(std::get<I>(args))..., result.Put()));
        return result.Take();
    }
}

}  // namespace zt::host::safe_call

namespace zt::host {

template <typename Object, typename Owner, typename... Params, typename... Args>
auto SafeCall(const ComPtr<Object>& object, win32::HRESULT (STDMETHODCALLTYPE Owner::*member)(Params...),
              const Args&... args) {
    static_assert(std::is_base_of_v<Owner, Object>);
    auto argTuple = std::forward_as_tuple(args...);
    return safe_call::Invoke<Object, decltype(member), Params...>(object.Get(), member, argTuple,
                                                                  std::index_sequence_for<Args...>{});
}

}  // namespace zt::host
