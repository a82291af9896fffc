#pragma once
// A small COM-like layer: just enough of IUnknown/IDispatch, result codes, variants and
// argument packs for the script bridge to keep the dispatch semantics pages rely on.

#include <cstdint>
#include <string>

using HRESULT = std::int32_t;
using DISPID = std::int32_t;
using LCID = std::uint32_t;
using ULONG = std::uint32_t;
using WORD = std::uint16_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr DISPID DISPID_UNKNOWN = -1;
inline constexpr WORD DISPATCH_METHOD = 1;

inline bool FAILED(HRESULT hr) {
    return hr < 0;
}

struct GUID {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
    friend bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;

inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDispatch = {
    0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// A variant that holds nothing or a string: the only kinds the bridge passes.
enum VARTYPE : WORD { VT_EMPTY = 0, VT_BSTR = 8 };

struct VARIANT {
    VARTYPE vt = VT_EMPTY;
    std::string bstrVal;  // UTF-8
};

inline void VariantClear(VARIANT* v) {
    v->vt = VT_EMPTY;
    v->bstrVal.clear();
}

// Arguments in reverse order, as automation passes them: rgvarg[cArgs - 1] is the first.
struct DISPPARAMS {
    VARIANT* rgvarg = nullptr;
    DISPID* rgdispidNamedArgs = nullptr;
    unsigned cArgs = 0;
    unsigned cNamedArgs = 0;
};

struct EXCEPINFO {
    std::string description;
};

class IUnknown {
  public:
    virtual HRESULT QueryInterface(const IID& riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

  protected:
    ~IUnknown() = default;
};

class IDispatch : public IUnknown {
  public:
    virtual HRESULT GetTypeInfoCount(unsigned* pctinfo) = 0;
    virtual HRESULT GetTypeInfo(unsigned iTInfo, LCID lcid, void** ppTInfo) = 0;
    virtual HRESULT GetIDsOfNames(const IID& riid, const std::string* rgszNames, unsigned cNames,
                                  LCID lcid, DISPID* rgDispId) = 0;
    virtual HRESULT Invoke(DISPID dispIdMember, const IID& riid, LCID lcid, WORD wFlags,
                           DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo,
                           unsigned* puArgErr) = 0;

  protected:
    ~IDispatch() = default;
};
