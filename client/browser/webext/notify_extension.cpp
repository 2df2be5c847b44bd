// The web-process side of the page bridge: installs the native function
// "notify" in every script context (every page, every frame, before any of
// the page's own scripts run) and turns the calls that pass the rules into
// user messages to the page's view in the UI process.
#include <webkit2/webkit-web-extension.h>

#include <cstdint>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>

#include "notify_rules.h"
#include "platform/trace.h"

namespace {

using zv::browser::NotifyMessage;
using zv::browser::ScriptArgs;
using zv::browser::ScriptType;

WebKitWebExtension* g_extension = nullptr;

// Text of a primitive string as valid UTF-8 without NULs: ill-formed parts
// (lone surrogates) and NULs become U+FFFD, so nothing after them is lost and
// the text stays usable as a zero-terminated string.
std::string Utf8Text(const gchar* data, gsize size) {
    if (!data || size == 0) {
        return {};
    }
    // g_utf8_validate_len rejects NULs, so they are replaced as well.
    if (g_utf8_validate_len(data, size, nullptr)) {
        return std::string(data, size);
    }
    gchar* valid = g_utf8_make_valid(data, static_cast<gssize>(size));
    std::string text = valid;
    g_free(valid);
    return text;
}

std::string BytesText(GBytes* bytes) {
    if (!bytes) {
        return {};
    }
    gsize size = 0;
    const auto* data = static_cast<const gchar*>(g_bytes_get_data(bytes, &size));
    std::string text = Utf8Text(data, size);
    g_bytes_unref(bytes);
    return text;
}

// Per script context: String.prototype.toWellFormed, taken before any page
// script runs (so a page cannot replace it), bound as f(text).
struct ContextTools {
    JSCValue* wellFormed = nullptr;
    ~ContextTools() {
        if (wellFormed) {
            g_object_unref(wellFormed);
        }
    }
};

std::string JscText(JSCValue* value, const ContextTools& tools) {
    std::string text = BytesText(jsc_value_to_string_as_bytes(value));
    // The engine gives no UTF-8 for a text with lone surrogates; convert a
    // well-formed copy instead of dropping the whole text.
    if (text.empty() && tools.wellFormed) {
        JSCValue* fixed =
            jsc_value_function_call(tools.wellFormed, JSC_TYPE_VALUE, value, G_TYPE_NONE);
        if (fixed) {
            if (jsc_value_is_string(fixed)) {
                text = BytesText(jsc_value_to_string_as_bytes(fixed));
            }
            g_object_unref(fixed);
        }
    }
    return text;
}

// The call's arguments as the rules see them. Only type tests and reads of
// primitives: no conversion that could run page code (toString, getters).
class JscArgs final : public ScriptArgs {
public:
    JscArgs(GPtrArray* args, const ContextTools& tools) : args_(args), tools_(tools) {}
    size_t Count() const override { return args_ ? args_->len : 0; }
    ScriptType TypeAt(size_t index) const override {
        JSCValue* v = At(index);
        if (!v || jsc_value_is_undefined(v)) {
            return ScriptType::Undefined;
        }
        if (jsc_value_is_null(v)) {
            return ScriptType::Null;
        }
        if (jsc_value_is_boolean(v)) {
            return ScriptType::Boolean;
        }
        if (jsc_value_is_number(v)) {
            return ScriptType::Number;
        }
        if (jsc_value_is_string(v)) {
            return ScriptType::String;
        }
        return ScriptType::Object;
    }
    double NumberAt(size_t index) const override { return jsc_value_to_double(At(index)); }
    std::string TextAt(size_t index) const override { return JscText(At(index), tools_); }

private:
    JSCValue* At(size_t index) const {
        return index < Count() ? static_cast<JSCValue*>(g_ptr_array_index(args_, index)) : nullptr;
    }
    GPtrArray* args_;
    const ContextTools& tools_;
};

// One per script context, owned by the function object bound to it.
class NotifyHandler {
public:
    NotifyHandler(guint64 pageId, JSCValue* wellFormed) : pageId_(pageId) {
        tools_.wellFormed = wellFormed;
        ZV_TRACE(">> V8NotifyHandler::V8NotifyHandler");
    }

    // Applies the rules and sends the resulting message, if any, to the view
    // of the page the context belongs to. The script always gets undefined.
    bool Execute(const char* name, GPtrArray* args) {
        const JscArgs jscArgs(args, tools_);
        ZV_TRACE(">>>>>>>>>V8>>> name=%s size=%ld\r\n\r\n", name,
                 static_cast<long>(jscArgs.Count()));
        std::optional<NotifyMessage> message = zv::browser::EvaluateNotify(name, jscArgs);
        if (!message) {
            return false;
        }
        // The page may be gone while a stale context still runs a script.
        WebKitWebPage* page =
            g_extension ? webkit_web_extension_get_page(g_extension, pageId_) : nullptr;
        if (!page) {
            return true;
        }
        GVariant* parameters = std::visit(
            [](const auto& value) -> GVariant* {
                if constexpr (std::is_same_v<std::decay_t<decltype(value)>, int32_t>) {
                    return g_variant_new_int32(value);
                } else {
                    return g_variant_new_string(value.c_str());
                }
            },
            message->value);
        webkit_web_page_send_message_to_view(
            page, webkit_user_message_new(message->name.c_str(), parameters), nullptr, nullptr,
            nullptr);
        return true;
    }

    static void Invoke(GPtrArray* args, gpointer self) {
        static_cast<NotifyHandler*>(self)->Execute("notify", args);
    }
    static void Delete(gpointer self) { delete static_cast<NotifyHandler*>(self); }

private:
    guint64 pageId_;
    ContextTools tools_;
};

void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame,
                           gpointer) {
    JSCContext* context = webkit_frame_get_js_context_for_script_world(frame, world);
    if (!context) {
        return;
    }
    // Runs before the page's own scripts, so the built-ins are still original.
    JSCValue* wellFormed = jsc_context_evaluate(
        context, "Function.prototype.call.bind(String.prototype.toWellFormed)", -1);
    if (wellFormed && !jsc_value_is_function(wellFormed)) {
        g_clear_object(&wellFormed);
    }
    jsc_context_clear_exception(context);
    auto* handler = new NotifyHandler(webkit_web_page_get_id(page), wellFormed);
    JSCValue* function =
        jsc_value_new_function_variadic(context, "notify", G_CALLBACK(&NotifyHandler::Invoke),
                                        handler, &NotifyHandler::Delete, G_TYPE_NONE);
    jsc_context_set_value(context, "notify", function);
    g_object_unref(function);
    g_object_unref(context);
    ZV_TRACE(">>> WebView::OnContextCreated >> browser=%p", static_cast<void*>(page));
}

}  // namespace

extern "C" G_MODULE_EXPORT void webkit_web_extension_initialize(WebKitWebExtension* extension) {
    g_extension = extension;
    g_signal_connect(webkit_script_world_get_default(), "window-object-cleared",
                     G_CALLBACK(OnWindowObjectCleared), nullptr);
}
