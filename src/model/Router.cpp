#include "model/Router.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<CRouter*>& Routers()
{
    static std::vector<CRouter*> routers;
    return routers;
}

} // namespace

CRouter::CRouter(bool bNoReceive) : m_bNoReceive(bNoReceive)
{
    Routers().push_back(this);
}

CRouter::~CRouter()
{
    auto& routers = Routers();
    routers.erase(std::remove(routers.begin(), routers.end(), this), routers.end());
}

void CRouter::Send(const RouterMessage& message, CRouter* sender)
{
    // A receiver may create or destroy routers while handling a message (a view
    // closing, a temporary sender). Walk a snapshot and skip any router that has
    // left the list meanwhile, so nothing is called after its destruction.
    const std::vector<CRouter*> snapshot = Routers();
    for (CRouter* router : snapshot) {
        if (router == sender)
            continue;
        const auto& live = Routers();
        if (std::find(live.begin(), live.end(), router) == live.end())
            continue;
        if (!router->m_bNoReceive)
            router->OnMessage(message);
    }
}

void CRouter::OnMessage(const RouterMessage&) {}

void CRouter::Broadcast(const RouterMessage& message)
{
    CRouter sender(true);
    sender.Send(message, nullptr);
}
