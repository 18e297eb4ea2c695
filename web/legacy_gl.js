// What the game's drawing asks of GL 1.1 that emscripten's legacy GL lacks, for the browser build.
// The desktop draws as it always has, to the same pixels.
mergeInto(LibraryManager.library, {
  // A convex polygon (the game's are quadrilaterals) is exactly the fan of triangles from its
  // first corner: GL_POLYGON drawn as GL_TRIANGLE_FAN.
  tarvelo_draw_polygons__deps: ['$GLImmediate'],
  tarvelo_draw_polygons: function() {
    var flush = GLImmediate.flush;
    GLImmediate.flush = function() {
      if (GLImmediate.mode == 9)  // GL_POLYGON
        GLImmediate.mode = 6;     // GL_TRIANGLE_FAN
      return flush.apply(this, arguments);
    };
  },
  // Texture names the game gives itself, as desktop GL allows: WebGL makes a texture only for a
  // name handed out, so these are made for them, and names handed out later come after them.
  tarvelo_name_textures__deps: ['$GL'],
  tarvelo_name_textures: function(first, count) {
    GL.counter = Math.max(GL.counter, first + count);
    for (var name = first; name < first + count; name++) {
      if (GL.textures[name]) continue;
      var texture = GLctx.createTexture();
      texture.name = name;
      GL.textures[name] = texture;
    }
  },
});
