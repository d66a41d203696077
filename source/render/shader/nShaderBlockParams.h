#pragma once

class nEngineServices;
class nMetaTag;
class nShaderBlock;

// The "Param" tag of a written block: what each kind stores beyond its inputs.
void ReadShaderBlockParams(nShaderBlock& block, const nMetaTag& params, nEngineServices* engine);
void WriteShaderBlockParams(const nShaderBlock& block, nMetaTag& params);

// An editor position as a tag of two Real children, read by position.
void ReadEditorPosition(const nMetaTag* tag, float& x, float& y);
nMetaTag* WriteEditorPosition(float x, float y);
