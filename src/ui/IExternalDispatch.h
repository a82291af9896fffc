#pragma once
// The object that page script reaches as window.external. The browser host hands it to every
// page it loads (one reference per page) and forwards each call of one of its members: the
// member's name is looked up first, then the member is invoked with the call's arguments as
// strings, in script order.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class IExternalDispatch {
  public:
    static constexpr long kDispIdUnknown = -1;

    virtual ~IExternalDispatch() = default;

    // Reference counting of the hand-outs; the object's lifetime is its owner's business.
    virtual long AddRef() = 0;
    virtual long Release() = 0;

    // The member's dispatch id (names compare exactly), or kDispIdUnknown.
    virtual long GetIDOfName(std::string_view name) = 0;

    // Calls a member; no value (std::nullopt) reaches the page as undefined.
    virtual std::optional<std::string> Invoke(long dispId,
                                              const std::vector<std::string>& args) = 0;
};
