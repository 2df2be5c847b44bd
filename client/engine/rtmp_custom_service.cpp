#include "rtmp_custom_service.h"

#include <obs-module.h>

#include <string>

namespace zv {
namespace {

struct CustomService {
    std::string server;
    std::string key;
    bool useAuth = false;
    std::string username;
    std::string password;
};

void Update(void* data, obs_data_t* settings) {
    auto* s = static_cast<CustomService*>(data);
    s->server = obs_data_get_string(settings, "server");
    s->key = obs_data_get_string(settings, "key");
    s->useAuth = obs_data_get_bool(settings, "use_auth");
    s->username = obs_data_get_string(settings, "username");
    s->password = obs_data_get_string(settings, "password");
}

void* Create(obs_data_t* settings, obs_service_t* /*service*/) {
    auto* s = new CustomService;
    Update(s, settings);
    return s;
}

void Destroy(void* data) {
    delete static_cast<CustomService*>(data);
}

obs_properties_t* Properties(void* /*data*/) {
    obs_properties_t* props = obs_properties_create();
    obs_properties_add_text(props, "server", "URL", OBS_TEXT_DEFAULT);
    obs_properties_add_text(props, "key", "Stream key", OBS_TEXT_PASSWORD);
    obs_properties_add_bool(props, "use_auth", "Use authentication");
    obs_properties_add_text(props, "username", "Username", OBS_TEXT_DEFAULT);
    obs_properties_add_text(props, "password", "Password", OBS_TEXT_PASSWORD);
    return props;
}

const char* Url(void* data) {
    return static_cast<CustomService*>(data)->server.c_str();
}
const char* Key(void* data) {
    return static_cast<CustomService*>(data)->key.c_str();
}

// Credentials only count when authentication is on (empty ones are not sent).
const char* Username(void* data) {
    auto* s = static_cast<CustomService*>(data);
    return s->useAuth ? s->username.c_str() : nullptr;
}
const char* Password(void* data) {
    auto* s = static_cast<CustomService*>(data);
    return s->useAuth ? s->password.c_str() : nullptr;
}

const char* OutputType(void* /*data*/) {
    return "rtmp_output";
}

}  // namespace

void RegisterRtmpCustomService() {
    obs_service_info info = {};
    info.id = "rtmp_custom";
    info.get_name = [](void*) { return "Custom RTMP server"; };
    info.create = Create;
    info.destroy = Destroy;
    info.update = Update;
    info.get_properties = Properties;
    info.get_url = Url;
    info.get_key = Key;
    info.get_username = Username;
    info.get_password = Password;
    info.get_output_type = OutputType;
    obs_register_service(&info);
}

}  // namespace zv
