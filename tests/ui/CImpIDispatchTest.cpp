#include "ui/CImpIDispatch.h"

#include "ui/ExternalDispatchAdapter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class RecordingTarget : public IJavascriptTarget {
  public:
    std::string JavascriptToCPLUSPLUS(const std::string& method,
                                      const std::string& params) override {
        calls.push_back(method + "(" + params + ")");
        return "answer:" + method;
    }
    std::vector<std::string> calls;
};

// Script arguments in call order, packed in reverse as automation does.
struct Args {
    explicit Args(std::vector<std::string> inOrder) {
        for (auto it = inOrder.rbegin(); it != inOrder.rend(); ++it) {
            variants.push_back(VARIANT{VT_BSTR, *it});
        }
        params.rgvarg = variants.data();
        params.cArgs = static_cast<unsigned>(variants.size());
    }
    std::vector<VARIANT> variants;
    DISPPARAMS params;
};

TEST(CImpIDispatch, QueryInterfaceAnswersOnlyItsTwoInterfaces) {
    CImpIDispatch object;
    void* out = &object;
    EXPECT_EQ(object.QueryInterface(IID_IDispatch, &out), S_OK);
    EXPECT_EQ(out, static_cast<IDispatch*>(&object));
    EXPECT_EQ(object.QueryInterface(IID_IUnknown, &out), S_OK);
    EXPECT_EQ(object.RefCount(), 2);
    const IID other = {
        0xC4D244B0, 0xD43E, 0x11CF, {0x89, 0x3B, 0x00, 0xAA, 0x00, 0xBD, 0xCE, 0x1A}};
    EXPECT_EQ(object.QueryInterface(other, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object.RefCount(), 2);
}

TEST(CImpIDispatch, ReferencesOnlyCountAndNeverDestroy) {
    CImpIDispatch object;
    EXPECT_EQ(object.AddRef(), 1u);
    EXPECT_EQ(object.AddRef(), 2u);
    EXPECT_EQ(object.Release(), 1u);
    EXPECT_EQ(object.Release(), 0u);
    EXPECT_EQ(static_cast<std::int32_t>(object.Release()), -1);  // still alive
    unsigned count = 7;
    void* info = nullptr;
    EXPECT_EQ(object.GetTypeInfoCount(&count), E_NOTIMPL);
    EXPECT_EQ(object.GetTypeInfo(0, 0, &info), E_NOTIMPL);
}

TEST(CImpIDispatch, NameLookupIsExactAndSetsEveryEntryFromTheFirstName) {
    CImpIDispatch object;
    struct Case {
        std::vector<std::string> names;
        HRESULT result;
        DISPID id;
    } cases[] = {
        {{"JavascriptToCsharp"}, S_OK, 1},
        {{"javascripttocsharp"}, DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {{"JavascriptToCsharp "}, DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
        {{"JavascriptToCsharp", "named"}, S_OK, 1},
        {{"Other", "JavascriptToCsharp"}, DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const auto& c : cases) {
        std::vector<DISPID> ids(c.names.size(), 42);
        EXPECT_EQ(object.GetIDsOfNames(IID_NULL, c.names.data(),
                                       static_cast<unsigned>(c.names.size()), 0, ids.data()),
                  c.result)
            << c.names[0];
        for (DISPID id : ids)
            EXPECT_EQ(id, c.id) << c.names[0];
    }
    DISPID untouched = 42;
    EXPECT_EQ(object.GetIDsOfNames(IID_NULL, nullptr, 0, 0, &untouched), S_OK);
    EXPECT_EQ(untouched, 42);
}

TEST(CImpIDispatch, InvokeForwardsTheLastTwoArgumentsToTheMainWindow) {
    CImpIDispatch object;
    RecordingTarget window;
    object.SetMainWindow(&window);

    Args two({"GetCommandLine", "x|y"});
    VARIANT result{VT_BSTR, "stale"};
    EXPECT_EQ(
        object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &two.params, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(result.bstrVal, "answer:GetCommandLine");

    Args three({"ignored", "LoginResult", "true|abc"});
    EXPECT_EQ(
        object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &three.params, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"GetCommandLine(x|y)", "LoginResult(true|abc)"}));
}

TEST(CImpIDispatch, InvokeWithTooFewArgumentsOrAnotherIdDoesNothing) {
    CImpIDispatch object;
    RecordingTarget window;
    object.SetMainWindow(&window);
    Args one({"GetCommandLine"});
    Args two({"GetCommandLine", ""});
    VARIANT result{VT_BSTR, "untouched"};
    EXPECT_EQ(
        object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &one.params, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(
        object.Invoke(2, IID_NULL, 0, DISPATCH_METHOD, &two.params, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, nullptr, &result, nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.bstrVal, "untouched");
    EXPECT_TRUE(window.calls.empty());

    // Without a main window the call still succeeds, with an empty answer.
    object.SetMainWindow(nullptr);
    EXPECT_EQ(
        object.Invoke(1, IID_NULL, 0, DISPATCH_METHOD, &two.params, &result, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(result.vt, VT_BSTR);
    EXPECT_EQ(result.bstrVal, "");
}

// What the browser host sees: one member, the usual answers for one or two arguments.
TEST(ExternalDispatchAdapter, CarriesPageCallsToTheBridgeObject) {
    CImpIDispatch object;
    RecordingTarget window;
    object.SetMainWindow(&window);
    ExternalDispatchAdapter external(object);
    EXPECT_EQ(external.GetIDOfName("JavascriptToCsharp"), 1);
    EXPECT_EQ(external.GetIDOfName("javascripttocsharp"), IExternalDispatch::kDispIdUnknown);
    EXPECT_EQ(external.Invoke(1, {"GetCommandLine", "p"}),
              std::optional<std::string>("answer:GetCommandLine"));
    EXPECT_EQ(external.Invoke(1, {"a", "LoginResult", "true|x"}),
              std::optional<std::string>("answer:LoginResult"));
    EXPECT_EQ(external.Invoke(1, {"GetCommandLine"}), std::nullopt);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"GetCommandLine(p)", "LoginResult(true|x)"}));
    EXPECT_EQ(external.AddRef(), 1);
    EXPECT_EQ(object.RefCount(), 1);
    EXPECT_EQ(external.Release(), 0);
}

}  // namespace
