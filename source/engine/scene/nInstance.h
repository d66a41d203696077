#pragma once

#include "engine/items/nItem.h"
#include "engine/items/nMItem.h"
#include "engine/items/nSceneItemPart.h"
#include "platform/nstring/nString.h"

class nGroup;

// Places the content of another scene file in the scene: at set-up the template is loaded as one
// group, whose parentless items hang on the instance item or are moved by its matrix. The
// instance runs the template's scene scripts as its own units. File block "Instance".
class nInstance : public nMItem
{
public:
    explicit nInstance(nScene* scene);
    ~nInstance() override;

    void Update() override {}
    void PrepareRender() override {}
    // Instantiates the template once; depth counts the instances this one sits in.
    void SetupInstance(int32_t depth);
    void Setup() override;
    bool ParseTag(nMetaFile& file, nMetaTag& tag) override;
    nMetaTag* SerializeTag(nMetaFile& file) override;

    // Forgets the group (which stays in the scene), so the next set-up instantiates the new template.
    void SetTemplate(const char* path);
    const nString& GetTemplate() const { return m_template; }
    nGroup* GetGroup() const { return m_group; }
    // The scene forgets a group it frees.
    void ForgetGroup() { m_group = nullptr; }
    bool GetDoNotParent() const { return m_doNotParent; }
    void SetDoNotParent(bool doNotParent) { m_doNotParent = doNotParent; }
    // The depth at which this instance's own template was read (0 for a scene's own items).
    int32_t GetDepth() const { return m_depth; }
    void SetDepth(int32_t depth) { m_depth = depth; }
    // Where the instance was read: the file, and the instance whose template that file is (null
    // for a scene's own items).
    void SetEnclosure(const nInstance* outer, const nString& sourceFile);

private:
    // True after the refusal line when the template is one this instance already sits in.
    bool RefuseTemplateCycle();

    nSceneItemPart<nItem> m_node;
    nString m_template;
    nGroup* m_group = nullptr;
    bool m_doNotParent = false;
    int32_t m_depth = 0;
    // The templates this instance sits in, outermost first, compared as the file system does.
    nList<nString> m_enclosingTemplates;
    nString m_sourceFile;
    bool m_cycleRefused = false;
};
