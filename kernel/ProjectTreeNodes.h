#pragma once
// The nodes of the host's project tree (one node per sheet, one child per
// block), kept in step with the model by every unit that changes sheets or
// blocks; the tree's own slots are in ProjectTree.

namespace zo::kernel {

// Brings the host's tree (host slot GetProjectTree) in step with the sheets and
// their blocks, reusing the nodes already there. Call after every change of
// sheets or blocks. Does nothing while the host has no tree.
void RefreshProjectTree();

}  // namespace zo::kernel
