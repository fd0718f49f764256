// Fallback shaders of korvex for faces that must not block (the brushes of
// func_illusionary and its kin) when a map carries no texture pack: the
// converter names such a face korvex/nonsolid (see-through, detail) or
// korvex/nonsolid_opaque (walk-through, blocks sight) when its texture is a
// stock Q3 one. Copy this file into the scripts/ folder of the game (or of
// a .pk3 beside the map) and add "korvex" to scripts/shaderlist.txt where
// one exists; the compiler and the game then read both.
textures/korvex/nonsolid
{
	qer_editorimage textures/common/nodraw.tga
	surfaceparm nonsolid
	surfaceparm trans
	{
		map $whiteimage
		rgbGen identity
	}
	{
		map $lightmap
		blendFunc GL_DST_COLOR GL_ZERO
		rgbGen identity
	}
}

textures/korvex/nonsolid_opaque
{
	qer_editorimage textures/common/nodraw.tga
	surfaceparm nonsolid
	{
		map $whiteimage
		rgbGen identity
	}
	{
		map $lightmap
		blendFunc GL_DST_COLOR GL_ZERO
		rgbGen identity
	}
}
