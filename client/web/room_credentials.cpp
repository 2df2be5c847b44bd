#include "room_credentials.h"

#include "room_key_table.h"

namespace zv {

namespace {

// Read through a volatile pointer so the optimiser does not fold the
// assembled password back into one constant of the binary.
char TableChar(size_t position) {
    const volatile unsigned char* table = generated::kRoomKeyTable;
    return static_cast<char>(table[position]);
}

}  // namespace

std::string RoomControlUser() {
    const char id[] = {'q', '7', 'v', 'x'};
    return std::string(id, sizeof id);
}

std::string RoomControlPassword() {
    std::string password;
    password.reserve(sizeof generated::kRoomKeyPositions);
    for (unsigned char position : generated::kRoomKeyPositions) {
        password.push_back(TableChar(position));
    }
    return password;
}

std::string RoomControlUserPwd() {
    std::string pair;
    for (char c : RoomControlUser()) {
        pair.push_back(c);
    }
    pair.push_back(':');
    for (char c : RoomControlPassword()) {
        pair.push_back(c);
    }
    return pair;
}

}  // namespace zv
