// KCustMod: a block that stands for a custom module, a model kept in its own
// ".kvc" file. Its nodes are not in the type table: they are built from the
// module's interface blocks (inputs, outputs, documentation, digital
// controller), one node per interface block, in the order the blocks stand in
// the module file. The block owns those descriptors.
#pragma once

#include <string>
#include <vector>

#include "model/block.h"

namespace korvel {

// One node of a module block as read from the module file.
struct KModuleNode {
    std::string name;
    KEdge edge = KEdge::Left;
    KRole role = KRole::In;
    KValueKind kind = KValueKind::Double;
    int position = 10;  // pixels
    double defaultValue = 0.0;
};

class KCustMod : public KBlock {
public:
    KCustMod();

    std::span<const KNodeDescriptor> NodeDescriptors() const override { return descriptors_; }
    std::string_view GetTypeName() const override { return displayName_; }

    // The module file name as the user gave it and files store it; the
    // module is found by its bare name in the search folders.
    const std::string& FileName() const { return fileName_; }
    // Where the last search found the module file (empty before a search).
    const std::string& ResolvedPath() const { return resolvedPath_; }
    void SetResolvedPath(std::string path) { resolvedPath_ = std::move(path); }
    // Stores the name and resets the block to the type's size with no nodes;
    // the display name is the file name without folders and extension.
    void SetFileName(std::string fileName);
    // Builds the block's descriptors (and so its nodes) from the module's
    // interface, growing the body to fit them.
    void SetModuleNodes(std::vector<KModuleNode> nodes);
    const std::vector<KModuleNode>& ModuleNodes() const { return moduleNodes_; }

    void CopyFrom(const KBlock& source, int newIDNumber) override;

    int instanceIndex = -1;
    bool expanded = false;
    // The node names in node order as the design file saved them, so wires
    // (which name nodes by index) can follow a node the module moved.
    std::vector<std::string> savedNodeNames;

private:
    void RebuildDescriptors();

    std::string fileName_;
    std::string resolvedPath_;
    std::string displayName_;
    std::vector<KModuleNode> moduleNodes_;
    std::vector<KNodeDescriptor> descriptors_;
};

}  // namespace korvel
