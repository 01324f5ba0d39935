#pragma once
// The viewer's mail session: binds the mail facility once, logs on for one
// command at a time and hands a message to the mail program.

#include "exchange/MailMessage.h"

#include <cstdint>
#include <memory>
#include <string>

class MailClient;

class MapiSession {
public:
    // Binds the system's mail facility, or `client`.
    MapiSession();
    explicit MapiSession(std::unique_ptr<MailClient> client);
    ~MapiSession();
    MapiSession(const MapiSession&) = delete;
    MapiSession& operator=(const MapiSession&) = delete;

    bool IsAvailable() const { return m_pClient != nullptr; }
    // Whether the application has a main window to own the mail program's
    // logon dialog when the caller gives no window of its own.
    void SetHasMainWindow(bool hasMainWindow) { m_bHasMainWindow = hasMainWindow; }

    bool Logon(const std::string& profile, const std::string& password, bool hasParentWindow = false);
    void Logoff();
    bool ResolveName(const std::string& name, std::string& displayName);
    bool SendMail(MailMessage& message, bool showDialog);

    uint32_t LastError() const { return m_nLastError; }
    bool IsLoggedOn() const { return m_nSession != 0; }

private:
    std::unique_ptr<MailClient> m_pClient; // null when mail is not available
    uint64_t m_nSession = 0;
    uint32_t m_nLastError = 0;
    bool m_bHasMainWindow = false;
};

// The reply to the sender of a Picture Book: their address, a fixed subject and note.
MailMessage MakeOwnerReply(const std::string& ownerEmail);
