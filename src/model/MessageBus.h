#pragma once
// The broadcast bus of one open book, between its document and the panes
// that show it: Send delivers a message synchronously, in the order they
// joined, to every receiving router on the bus. A bus that goes takes its
// routers off with it.

#include <vector>

class CRouter;
struct RouterMessage;

class MessageBus {
public:
    MessageBus() = default;
    ~MessageBus();
    MessageBus(const MessageBus&) = delete;
    MessageBus& operator=(const MessageBus&) = delete;

    // Delivers `message` to every receiving router but `sender`; a null
    // sender means one that is on no bus, or one that hears itself.
    void Send(const RouterMessage& message, const CRouter* sender);

private:
    friend class CRouter;
    void Join(CRouter* router);
    void Leave(CRouter* router);

    std::vector<CRouter*> m_routers;
};
