#include "player/TextureCopier.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace tembra {

namespace {

const char* kVertexShader =
    "attribute highp vec2 position;\n"
    "varying highp vec2 coord;\n"
    "void main() {\n"
    "  coord = position * 0.5 + 0.5;\n"
    "  gl_Position = vec4(position, 0.0, 1.0);\n"
    "}\n";
const char* kFragmentShader =
    "uniform sampler2D picture;\n"
    "varying highp vec2 coord;\n"
    "void main() { gl_FragColor = texture2D(picture, coord); }\n";

// A strip of two triangles over the viewport.
const float kQuad[] = {-1, -1, 1, -1, -1, 1, 1, 1};

}  // namespace

TextureCopier::TextureCopier() : vertices_(QOpenGLBuffer::VertexBuffer) {
  if (!program_.addCacheableShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) ||
      !program_.addCacheableShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader))
    return;
  program_.bindAttributeLocation("position", 0);
  if (!program_.link()) return;
  vao_.create();  // not there on old contexts: then the attribute is set at each draw
  QOpenGLVertexArrayObject::Binder bind(&vao_);
  if (!vertices_.create()) return;
  vertices_.bind();
  vertices_.allocate(kQuad, sizeof(kQuad));
  if (vao_.isCreated()) {
    QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
    f->glEnableVertexAttribArray(0);
    f->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  }
  vertices_.release();
  valid_ = true;
}

void TextureCopier::draw(unsigned texture) {
  if (!valid_) return;
  QOpenGLFunctions* f = QOpenGLContext::currentContext()->functions();
  f->glDisable(GL_BLEND);
  f->glDisable(GL_DEPTH_TEST);
  f->glDisable(GL_SCISSOR_TEST);
  program_.bind();
  program_.setUniformValue("picture", 0);
  f->glActiveTexture(GL_TEXTURE0);
  f->glBindTexture(GL_TEXTURE_2D, texture);
  QOpenGLVertexArrayObject::Binder bind(&vao_);
  if (!vao_.isCreated()) {
    vertices_.bind();
    f->glEnableVertexAttribArray(0);
    f->glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
  }
  f->glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
  if (!vao_.isCreated()) {
    f->glDisableVertexAttribArray(0);
    vertices_.release();
  }
  f->glBindTexture(GL_TEXTURE_2D, 0);
  program_.release();
}

}  // namespace tembra
