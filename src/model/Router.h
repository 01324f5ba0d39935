#pragma once
// What travels on a book's bus (MessageBus) between the document and the
// panes, and the router each of them is: it joins a bus, sends on it and
// hears what the others send.

#include <cstdint>

class CBaseNode;
class CCorvaleDoc;
class MessageBus;

enum RouterCode : uint32_t {
    RM_BOOK_LOADED = 1,      // payload: the root node and the document it belongs to
    RM_BOOK_CLOSING = 3,     // no payload
    RM_SELECT_NODE = 6,      // payload: the selected node, or null for the root
    RM_DISPLAY_SETTINGS = 10 // payload: shrink factor index, shrink size index
};

struct RouterMessage {
    uint32_t m_nCode = 0;
    CBaseNode* m_pNode = nullptr;
    int32_t m_nShrinkFactor = 0;
    int32_t m_nShrinkSize = 0;
    CCorvaleDoc* m_pDocument = nullptr;

    static RouterMessage BookLoaded(CBaseNode* root, CCorvaleDoc* document = nullptr)
    {
        return {RM_BOOK_LOADED, root, 0, 0, document};
    }
    static RouterMessage BookClosing() { return {RM_BOOK_CLOSING, nullptr, 0, 0}; }
    static RouterMessage SelectNode(CBaseNode* node) { return {RM_SELECT_NODE, node, 0, 0}; }
    static RouterMessage DisplaySettings(int32_t factor, int32_t size)
    {
        return {RM_DISPLAY_SETTINGS, nullptr, factor, size};
    }
};

class CRouter {
public:
    // On no bus until it joins one.
    explicit CRouter(bool bNoReceive = false);
    virtual ~CRouter();
    CRouter(const CRouter&) = delete;
    CRouter& operator=(const CRouter&) = delete;

    // Leaves the bus it is on, if any, for `bus` (null: none).
    void JoinBus(MessageBus* bus);
    MessageBus* GetBus() const { return m_pBus; }

    // Delivers `message` on the router's bus to every receiving router but
    // `sender`; a null sender means the sending router receives its own
    // message too. Nothing happens off a bus.
    virtual void Send(const RouterMessage& message, CRouter* sender);
    virtual void OnMessage(const RouterMessage& message);

    const bool m_bNoReceive;

private:
    MessageBus* m_pBus = nullptr; // not owned
};
