#include "ui/ExternalDispatchAdapter.h"

long ExternalDispatchAdapter::AddRef() {
    return static_cast<std::int32_t>(m_dispatch.AddRef());
}

long ExternalDispatchAdapter::Release() {
    return static_cast<std::int32_t>(m_dispatch.Release());
}

long ExternalDispatchAdapter::GetIDOfName(std::string_view name) {
    const std::string names[1] = {std::string(name)};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(m_dispatch.GetIDsOfNames(IID_NULL, names, 1, 0, &id))) {
        return kDispIdUnknown;
    }
    return id;
}

std::optional<std::string> ExternalDispatchAdapter::Invoke(long dispId,
                                                           const std::vector<std::string>& args) {
    // Automation passes the arguments last first.
    std::vector<VARIANT> packed;
    packed.reserve(args.size());
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        packed.push_back(VARIANT{VT_BSTR, *it});
    }
    DISPPARAMS params;
    params.rgvarg = packed.data();
    params.cArgs = static_cast<unsigned>(packed.size());
    VARIANT result;
    m_dispatch.Invoke(static_cast<DISPID>(dispId), IID_NULL, 0, DISPATCH_METHOD, &params, &result,
                      nullptr, nullptr);
    if (result.vt != VT_BSTR) {
        return std::nullopt;
    }
    return result.bstrVal;
}
