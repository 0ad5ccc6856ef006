#pragma once

#include <string>

#include "seams/UserName.h"

namespace kiro {

// The account name of the effective user.
class CSystemUserName final : public IUserName {
public:
    std::string Name() const override;
};

class CFixedUserName final : public IUserName {
public:
    explicit CFixedUserName(std::string name) : m_name(std::move(name)) {}
    std::string Name() const override { return m_name; }

private:
    std::string m_name;
};

// Log lines hold at most this many bytes of the user name.
inline constexpr std::size_t kMaxUserNameBytes = 199;

// Cuts a UTF-8 text to at most maxBytes without splitting a character.
std::string TruncateUtf8(const std::string& text, std::size_t maxBytes);

// The user name as log lines show it: the account name, bounded.
std::string LoggedUserName(const IUserName& user);

}  // namespace kiro
