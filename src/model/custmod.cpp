#include "model/custmod.h"

#include <algorithm>

#include "base/texthelpers.h"

namespace korvel {

KCustMod::KCustMod() : KBlock(ktype::kCustMod) {}

void KCustMod::SetFileName(std::string fileName) {
    SetSize(TypeRecord().width, TypeRecord().height);
    moduleNodes_.clear();
    descriptors_.clear();
    nodes_.clear();
    fileName_ = std::move(fileName);
    displayName_ = NameBeforeDot(FileNameOnly(fileName_));
}

void KCustMod::SetModuleNodes(std::vector<KModuleNode> nodes) {
    moduleNodes_ = std::move(nodes);
    int width = TypeRecord().width;
    int height = TypeRecord().height;
    // The body grows so that every node sits inside its edge with a grid
    // step to spare.
    for (const KModuleNode& n : moduleNodes_) {
        int needed = n.position + 20;
        if (n.edge == KEdge::Top || n.edge == KEdge::Bottom)
            width = std::max(width, needed);
        else
            height = std::max(height, needed);
    }
    SetSize(width, height);
    RebuildDescriptors();
    CreateNodes();
}

void KCustMod::RebuildDescriptors() {
    descriptors_.clear();
    descriptors_.reserve(moduleNodes_.size());
    for (std::size_t i = 0; i < moduleNodes_.size(); ++i) {
        const KModuleNode& n = moduleNodes_[i];
        KNodeDescriptor d;
        d.ordinal = static_cast<int>(i);
        d.edge = n.edge;
        d.role = n.role;
        d.position = n.position;
        d.name = n.name;
        d.defaultValue = n.defaultValue;
        d.kind = n.kind;
        descriptors_.push_back(d);
    }
}

void KCustMod::CopyFrom(const KBlock& source, int newIDNumber) {
    if (const auto* module = dynamic_cast<const KCustMod*>(&source)) {
        fileName_ = module->fileName_;
        resolvedPath_ = module->resolvedPath_;
        displayName_ = module->displayName_;
        moduleNodes_ = module->moduleNodes_;
        RebuildDescriptors();
    }
    KBlock::CopyFrom(source, newIDNumber);
}

}  // namespace korvel
