#pragma once
#include <QOpenGLBuffer>
#include <QOpenGLShaderProgram>
#include <QOpenGLVertexArrayObject>

namespace tembra {

// Draws a texture over the whole viewport of the current context, scaled
// with linear filtering. Always one shader and one sampler state: software
// OpenGL compiles native code for each new combination on its first use
// (a framebuffer blit took 55-90 ms the first time at each new scale), and
// this way that happens once, at the first picture, whatever sizes follow.
// Make and use it with its context current; destroy it there too.
class TextureCopier {
 public:
  TextureCopier();
  bool valid() const { return valid_; }
  // texture: bottom row first, as OpenGL keeps it.
  void draw(unsigned texture);

 private:
  QOpenGLShaderProgram program_;
  QOpenGLBuffer vertices_;
  QOpenGLVertexArrayObject vao_;
  bool valid_ = false;
};

}  // namespace tembra
