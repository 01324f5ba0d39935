#pragma once
// The photographs of a book in the order the photo tree shows them (each
// photograph before its children, multimedia items before sub-photographs),
// for stepping through a book: groups and multimedia items are passed over.

class CBaseNode;
class CPhotoNode;

// The photograph after (before) `from`, which may be any node of the tree
// under `root`, a group or multimedia item too; null when there is none.
// Each step costs the nodes between the two, never the whole book.
CPhotoNode* NextPhotograph(const CPhotoNode& root, const CBaseNode& from);
CPhotoNode* PreviousPhotograph(const CPhotoNode& root, const CBaseNode& from);
// Null for a book without photographs.
CPhotoNode* FirstPhotograph(const CPhotoNode& root);
CPhotoNode* LastPhotograph(const CPhotoNode& root);
