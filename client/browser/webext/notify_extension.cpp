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

// Text of a primitive string as valid UTF-8 (lone surrogates and other
// ill-formed data become U+FFFD; nothing is lost before the first NUL).
std::string JscText(JSCValue* value) {
    GBytes* bytes = jsc_value_to_string_as_bytes(value);
    if (!bytes) {
        return {};
    }
    gsize size = 0;
    const auto* data = static_cast<const gchar*>(g_bytes_get_data(bytes, &size));
    std::string text;
    if (data && size > 0) {
        if (g_utf8_validate_len(data, size, nullptr)) {
            text.assign(data, size);
        } else {
            gchar* valid = g_utf8_make_valid(data, static_cast<gssize>(size));
            text = valid;
            g_free(valid);
        }
    }
    g_bytes_unref(bytes);
    return text;
}

// The call's arguments as the rules see them. Only type tests and reads of
// primitives: no conversion that could run page code (toString, getters).
class JscArgs final : public ScriptArgs {
public:
    explicit JscArgs(GPtrArray* args) : args_(args) {}
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
    std::string TextAt(size_t index) const override { return JscText(At(index)); }

private:
    JSCValue* At(size_t index) const {
        return index < Count() ? static_cast<JSCValue*>(g_ptr_array_index(args_, index)) : nullptr;
    }
    GPtrArray* args_;
};

// One per script context, owned by the function object bound to it.
class NotifyHandler {
public:
    explicit NotifyHandler(guint64 pageId) : pageId_(pageId) {
        ZV_TRACE(">> V8NotifyHandler::V8NotifyHandler");
    }

    // Applies the rules and sends the resulting message, if any, to the view
    // of the page the context belongs to. The script always gets undefined.
    bool Execute(const char* name, GPtrArray* args) {
        const JscArgs jscArgs(args);
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
};

void OnWindowObjectCleared(WebKitScriptWorld* world, WebKitWebPage* page, WebKitFrame* frame,
                           gpointer) {
    JSCContext* context = webkit_frame_get_js_context_for_script_world(frame, world);
    if (!context) {
        return;
    }
    auto* handler = new NotifyHandler(webkit_web_page_get_id(page));
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
