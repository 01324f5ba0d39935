#include "platform/RegistryCheck.h"

#include "platform/MessageTable.h"
#include "platform/Prompter.h"
#include "platform/Registry.h"

void OfferFreshStoresForDamagedOnes(Registry& registry)
{
    for (RegistryRoot root : {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser, RegistryRoot::LocalMachine,
                              RegistryRoot::CurrentConfig, RegistryRoot::Users}) {
        if (registry.CheckStore(root) != RegistryStatus::Damaged || registry.IsFromNewerProgram(root))
            continue;
        std::string store = registry.FileOf(root);
        PromptReply reply = Prompter::Current().Ask(
            FormatMessageText(MessageId::RegistryStoreDamaged, {store, registry.KeptCopyPath(root)}),
            PromptButtons::YesNo, PromptIcon::Exclamation);
        if (reply != PromptReply::Yes)
            continue;
        std::string kept;
        if (registry.KeepDamagedStoreAside(root, kept) == RegistryStatus::IoError)
            Prompter::Current().Message(
                FormatMessageText(MessageId::RegistryStoreNotKeptAside, {registry.LastError()}));
    }
}
