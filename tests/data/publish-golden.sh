#!/usr/bin/env bash
# Writes the expected album pages of the publisher tests. Every line below is written by
# hand from the page rules; this script only turns the UTF-8 text into CP932 with CR LF.
# Run it after changing a line here, and commit the files it writes.
set -euo pipefail
cd "$(dirname "$0")"

# stdin (UTF-8, LF) -> file (CP932, CR LF)
page() {
  mkdir -p "$(dirname "$1")"
  iconv -f UTF-8 -t CP932 | sed 's/$/\r/' >"$1"
}

prologue() {
  cat <<'EOF'
<!-- saved from url=(0017)http://localhost -->
<HTML>
<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">
EOF
}
body_default() {
  cat <<'EOF'
<BODY
 BGCOLOR="#FFFFFF"
 TEXT="#000000"
 LINK="#0000FF"
 VLINK="#000088"
 ALINK="#0000FF"
>
EOF
}
body_empty() {
  printf '%s\n' '<BODY' '>'
}
credit() {
  echo '<HR><I>Script by <A HREF="https://fotela.github.io/" TARGET="_top">fotela</A></I>'
}

############################################################################################
# publish-default: default settings, title 旅行, three photos.
#   IMG_0001.jpg  photo 600 wide  thumb 100x75  large 600x450  description = its name
#   IMG_0002.jpg  photo 3000 wide thumb 75x100  large 450x600  海辺の夕日
#   IMG_0003.JPG  photo 601 wide  thumb 100x67  large 600x400  山の上で
D=publish-default
{ prologue; cat <<'EOF'
<HEAD>
<TITLE>旅行</TITLE>
</HEAD>
<FRAMESET COLS=" 200,*">
<FRAME SRC="album_1.html">
<FRAME SRC="album_2.html" NAME="img">
</FRAMESET>
</HTML>
EOF
} | page $D/album.html

{ prologue; cat <<'EOF'
<HEAD>
<SCRIPT LANGUAGE="javaScript">
<!--
   function disp0(i) {
    parent.window.name="W"+i;
    window.parent.img.location.href="album_2.html";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<SCRIPT LANGUAGE="javaScript">
<!--
    parent.window.name="W1";
//-->
</SCRIPT>
<H3>旅行</H3>
<A HREF="album_4.html "TARGET="img">自動送り</A><BR>
<A HREF="album_3.html "TARGET="_top">一覧表示</A><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
<BR>
　　<A HREF="javaScript:disp0( 1)"><IMG SRC="small/IMG_0001.jpg" Border=0 Width= 100 Height= 75 ALT="IMG_0001.jpg"></A><BR>
　　<A HREF="javaScript:disp0( 2)"><IMG SRC="small/IMG_0002.jpg" Border=0 Width= 75 Height= 100 ALT="IMG_0002.jpg"></A><BR>
　　<A HREF="javaScript:disp0( 3)"><IMG SRC="small/IMG_0003.JPG" Border=0 Width= 100 Height= 67 ALT="IMG_0003.JPG"></A><BR>
<BR><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_1.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>旅行</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>旅行</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if (parent.window.name=="W1") {document.write('<IMG SRC="big/IMG_0001.jpg" Border=0 Width= 600 Height= 450 ALT="IMG_0001.jpg"><BR>IMG_0001');sw=1;}
    if (parent.window.name=="W2") {document.write('<A HREF="IMG_0002.jpg" TARGET="_top"><IMG SRC="big/IMG_0002.jpg" Border=0 Width= 450 Height= 600 ALT="IMG_0002.jpg"></A><BR>海辺の夕日');sw=1;}
    if (parent.window.name=="W3") {document.write('<A HREF="IMG_0003.JPG" TARGET="_top"><IMG SRC="big/IMG_0003.JPG" Border=0 Width= 600 Height= 400 ALT="IMG_0003.JPG"></A><BR>山の上で');sw=1;}
    if (sw==0) {document.write('<IMG SRC="big/IMG_0001.jpg" Border=0 Width= 600 Height= 450 ALT="IMG_0001.jpg"><BR>IMG_0001');sw=1;}
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_2.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>旅行</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<H3>旅行</H3>
　　<A HREF="IMG_0001.jpg" TARGET="_top"><IMG SRC="small/IMG_0001.jpg" Border=0 Width= 100 Height= 75 ALT="IMG_0001.jpg"></A>
　　<A HREF="IMG_0002.jpg" TARGET="_top"><IMG SRC="small/IMG_0002.jpg" Border=0 Width= 75 Height= 100 ALT="IMG_0002.jpg"></A>
　　<A HREF="IMG_0003.JPG" TARGET="_top"><IMG SRC="small/IMG_0003.JPG" Border=0 Width= 100 Height= 67 ALT="IMG_0003.JPG"></A>
EOF
credit; cat <<'EOF'
</BODY>
</HTML>
EOF
} | page $D/album_3.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>旅行</TITLE>
<SCRIPT LANGUAGE="javaScript">
<!--
   var timeid;
   function disp() {
    timeid=setTimeout("disp0()", 4000);
   }
   function disp0() {
    window.parent.img.location.href="album_4.html";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>旅行</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if ((parent.window.name=="W1")&&(sw==0)) {parent.window.name="W2";sw=1;}
    if ((parent.window.name=="W2")&&(sw==0)) {parent.window.name="W3";sw=1;}
    if ((parent.window.name=="W3")&&(sw==0)) {parent.window.name="W1";sw=1;}
    if (sw==0) {parent.window.name="W1";}
    if (parent.window.name=="W1") {document.write('<A HREF="album_2.html" TARGET="img"><IMG SRC="big/IMG_0001.jpg" Border=0 Width= 600 Height= 450 ALT="IMG_0001.jpg"></A><BR>IMG_0001');}
    if (parent.window.name=="W2") {document.write('<A HREF="album_2.html" TARGET="img"><IMG SRC="big/IMG_0002.jpg" Border=0 Width= 450 Height= 600 ALT="IMG_0002.jpg"></A><BR>海辺の夕日');}
    if (parent.window.name=="W3") {document.write('<A HREF="album_2.html" TARGET="img"><IMG SRC="big/IMG_0003.JPG" Border=0 Width= 600 Height= 400 ALT="IMG_0003.JPG"></A><BR>山の上で');}
disp();
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_4.html

############################################################################################
# publish-media: default settings except ReturnPage empty and IncludeVideos 1, title Media.
# The folder holds BGM.MID and the clips a.avi, Trip.MOV, c.3gp.
# One photo: solo.jpg, photo 640 wide, thumb 100x75, large 640x480, description 一枚だけ.
D=publish-media
{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Media</TITLE>
</HEAD>
<FRAMESET COLS=" 200,*">
<FRAME SRC="album_1.html">
<FRAME SRC="album_2.html" NAME="img">
</FRAMESET>
</HTML>
EOF
} | page $D/album.html

{ cat <<'EOF'
<!-- saved from url=(0017)http://localhost -->
<html>
<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">
<head>
<title>ＢＧＭ</title>
<script LANGUAGE="JavaScript">
<!--
   function wclose(){
       window.close();
   }
//-->
</script>
</head>
EOF
body_default; cat <<'EOF'
<center>
<h2>バックグランドミュージック</h2><br>
<embed width="150" height="60" text="BGM" AUtostart="true" src="BGM.MID" repeat="true"  loop="true" panel="0" hidden="false">
<hr>
<form ACTION="--WEBBOT-SELF--" METHOD="POST">
<input LANGUAGE="JavaScript" TYPE="button" VALUE="閉じる" ONCLICK="wclose()">
</form>
</CENTER>
</body>
</html>
EOF
} | page $D/bgm.html

{ prologue; cat <<'EOF'
<HEAD>
<SCRIPT LANGUAGE="javaScript">
<!--
   function disp0(i) {
    parent.window.name="W"+i;
    window.parent.img.location.href="album_2.html";
   }
   function dispi(){
    w=window.open("bgm.html","bgm", "resizable = yes, Width = 300, Height = 220")
    window.focus();
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<SCRIPT LANGUAGE="javaScript">
<!--
    parent.window.name="W1";
//-->
</SCRIPT>
<H3>Media</H3>
<A HREF="album_4.html "TARGET="img">自動送り</A><BR>
<A HREF="album_3.html "TARGET="_top">一覧表示</A><BR>
<A href="javaScript:dispi()">ＢＧＭを鳴らす</A><BR>
<A HREF="douga1.html"  TARGET="_top">動画(a)</A><BR>
<A HREF="douga2.html"  TARGET="_top">動画(Trip)</A><BR>
<A HREF="douga3.html"  TARGET="_top">動画(c)</A><BR>
<BR>
　　<A HREF="javaScript:disp0( 1)"><IMG SRC="small/solo.jpg" Border=0 Width= 100 Height= 75 ALT="solo.jpg"></A><BR>
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_1.html

video() {  # clip heading embed-line
  prologue; cat <<EOF
<HEAD>
<TITLE>$1</TITLE>
</HEAD>
EOF
  body_default; cat <<EOF
<CENTER>
<H3>$2</H3><BR>
$3
<A HREF="album.html"  TARGET="_top">戻り</A><BR>
</CENTER>
</BODY>
</HTML>
EOF
}
video a.avi a '<embed src="a.avi"  loop="true"><BR><BR>' | page $D/douga1.html
video Trip.MOV Trip '<embed src="Trip.MOV"  loop="true" width=640 height=500><BR><BR>' | page $D/douga2.html
video c.3gp c '<embed src="c.3gp"  loop="true"><BR><BR>' | page $D/douga3.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Media</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>Media</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if (parent.window.name=="W1") {document.write('<IMG SRC="big/solo.jpg" Border=0 Width= 640 Height= 480 ALT="solo.jpg"><BR>一枚だけ');sw=1;}
    if (sw==0) {document.write('<IMG SRC="big/solo.jpg" Border=0 Width= 640 Height= 480 ALT="solo.jpg"><BR>一枚だけ');sw=1;}
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_2.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Media</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<H3>Media</H3>
　　<A HREF="solo.jpg" TARGET="_top"><IMG SRC="small/solo.jpg" Border=0 Width= 100 Height= 75 ALT="solo.jpg"></A>
EOF
credit; cat <<'EOF'
</BODY>
</HTML>
EOF
} | page $D/album_3.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Media</TITLE>
<SCRIPT LANGUAGE="javaScript">
<!--
   var timeid;
   function disp() {
    timeid=setTimeout("disp0()", 4000);
   }
   function disp0() {
    window.parent.img.location.href="album_4.html";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>Media</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if ((parent.window.name=="W1")&&(sw==0)) {parent.window.name="W1";sw=1;}
    if (sw==0) {parent.window.name="W1";}
    if (parent.window.name=="W1") {document.write('<A HREF="album_2.html" TARGET="img"><IMG SRC="big/solo.jpg" Border=0 Width= 640 Height= 480 ALT="solo.jpg"></A><BR>一枚だけ');}
disp();
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_4.html

############################################################################################
# publish-plain: AlbumHtml my.album.html, every colour empty, no background image,
# FrameWidth 150, SlideInterval 2500, ListPageWidth 1024, title Plain.
# Two photos: x.jpg (photo 100 wide, thumb 100x75, large 100x75, description x) and
# y.jpg (photo 100 wide, thumb 75x100, large 75x100, description 縦).
D=publish-plain
{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Plain</TITLE>
</HEAD>
<FRAMESET COLS=" 150,*">
<FRAME SRC="my_1.album">
<FRAME SRC="my_2.album" NAME="img">
</FRAMESET>
</HTML>
EOF
} | page $D/my.album.html

{ prologue; cat <<'EOF'
<HEAD>
<SCRIPT LANGUAGE="javaScript">
<!--
   function disp0(i) {
    parent.window.name="W"+i;
    window.parent.img.location.href="my_2.album";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_empty; cat <<'EOF'
<CENTER>
<SCRIPT LANGUAGE="javaScript">
<!--
    parent.window.name="W1";
//-->
</SCRIPT>
<H3>Plain</H3>
<A HREF="my_4.album "TARGET="img">自動送り</A><BR>
<A HREF="my_3.album "TARGET="_top">一覧表示</A><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
<BR>
　　<A HREF="javaScript:disp0( 1)"><IMG SRC="small/x.jpg" Border=0 Width= 100 Height= 75 ALT="x.jpg"></A><BR>
　　<A HREF="javaScript:disp0( 2)"><IMG SRC="small/y.jpg" Border=0 Width= 75 Height= 100 ALT="y.jpg"></A><BR>
<BR><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/my_1.album

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Plain</TITLE>
</HEAD>
EOF
body_empty; cat <<'EOF'
<CENTER>
<H3>Plain</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if (parent.window.name=="W1") {document.write('<IMG SRC="big/x.jpg" Border=0 Width= 100 Height= 75 ALT="x.jpg"><BR>x');sw=1;}
    if (parent.window.name=="W2") {document.write('<A HREF="y.jpg" TARGET="_top"><IMG SRC="big/y.jpg" Border=0 Width= 75 Height= 100 ALT="y.jpg"></A><BR>縦');sw=1;}
    if (sw==0) {document.write('<IMG SRC="big/x.jpg" Border=0 Width= 100 Height= 75 ALT="x.jpg"><BR>x');sw=1;}
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/my_2.album

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Plain</TITLE>
</HEAD>
EOF
body_empty; cat <<'EOF'
<H3>Plain</H3>
　　<A HREF="x.jpg" TARGET="_top"><IMG SRC="small/x.jpg" Border=0 Width= 100 Height= 75 ALT="x.jpg"></A>
　　<A HREF="y.jpg" TARGET="_top"><IMG SRC="small/y.jpg" Border=0 Width= 75 Height= 100 ALT="y.jpg"></A>
EOF
credit; cat <<'EOF'
</BODY>
</HTML>
EOF
} | page $D/my_3.album

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>Plain</TITLE>
<SCRIPT LANGUAGE="javaScript">
<!--
   var timeid;
   function disp() {
    timeid=setTimeout("disp0()", 2500);
   }
   function disp0() {
    window.parent.img.location.href="my_4.album";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_empty; cat <<'EOF'
<CENTER>
<H3>Plain</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
    if ((parent.window.name=="W1")&&(sw==0)) {parent.window.name="W2";sw=1;}
    if ((parent.window.name=="W2")&&(sw==0)) {parent.window.name="W1";sw=1;}
    if (sw==0) {parent.window.name="W1";}
    if (parent.window.name=="W1") {document.write('<A HREF="my_2.album" TARGET="img"><IMG SRC="big/x.jpg" Border=0 Width= 100 Height= 75 ALT="x.jpg"></A><BR>x');}
    if (parent.window.name=="W2") {document.write('<A HREF="my_2.album" TARGET="img"><IMG SRC="big/y.jpg" Border=0 Width= 75 Height= 100 ALT="y.jpg"></A><BR>縦');}
disp();
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/my_4.album

############################################################################################
# publish-split: default settings, title 31枚, the marker file present (view script split).
# 31 photos P01.jpg .. P31.jpg, each photo 600 wide, thumb 100x75, large 600x450,
# description = its name. Rows of the list page hold seven thumbnails.
D=publish-split
n() { printf 'P%02d' "$1"; }
{ prologue; cat <<'EOF'
<HEAD>
<TITLE>31枚</TITLE>
</HEAD>
<FRAMESET COLS=" 200,*">
<FRAME SRC="album_1.html">
<FRAME SRC="album_2.html" NAME="img">
</FRAMESET>
</HTML>
EOF
} | page $D/album.html

{ prologue; cat <<'EOF'
<HEAD>
<SCRIPT LANGUAGE="javaScript">
<!--
   function disp0(i) {
    parent.window.name="W"+i;
    window.parent.img.location.href="album_2.html";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<SCRIPT LANGUAGE="javaScript">
<!--
    parent.window.name="W1";
//-->
</SCRIPT>
<H3>31枚</H3>
<A HREF="album_4.html "TARGET="img">自動送り</A><BR>
<A HREF="album_3.html "TARGET="_top">一覧表示</A><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
<BR>
EOF
for i in $(seq 1 31); do
  printf '　　<A HREF="javaScript:disp0( %d)"><IMG SRC="small/%s.jpg" Border=0 Width= 100 Height= 75 ALT="%s.jpg"></A><BR>\n' "$i" "$(n $i)" "$(n $i)"
done
cat <<'EOF'
<BR><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_1.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>31枚</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>31枚</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
EOF
for i in $(seq 1 31); do
  if [[ $i == 31 ]]; then
    printf '%s\n' '//-->' '</SCRIPT>' '<I>　</I>' '<SCRIPT LANGUAGE="javaScript">' '<!--'
  fi
  printf '    if (parent.window.name=="W%d") {document.write('"'"'<IMG SRC="big/%s.jpg" Border=0 Width= 600 Height= 450 ALT="%s.jpg"><BR>%s'"'"');sw=1;}\n' "$i" "$(n $i)" "$(n $i)" "$(n $i)"
done
cat <<'EOF'
    if (sw==0) {document.write('<IMG SRC="big/P01.jpg" Border=0 Width= 600 Height= 450 ALT="P01.jpg"><BR>P01');sw=1;}
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_2.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>31枚</TITLE>
</HEAD>
EOF
body_default; cat <<'EOF'
<H3>31枚</H3>
EOF
for i in $(seq 1 31); do
  if [[ $i == 8 || $i == 15 || $i == 22 || $i == 29 ]]; then echo '<BR><BR>'; fi
  printf '　　<A HREF="%s.jpg" TARGET="_top"><IMG SRC="small/%s.jpg" Border=0 Width= 100 Height= 75 ALT="%s.jpg"></A>\n' "$(n $i)" "$(n $i)" "$(n $i)"
done
credit; cat <<'EOF'
</BODY>
</HTML>
EOF
} | page $D/album_3.html

{ prologue; cat <<'EOF'
<HEAD>
<TITLE>31枚</TITLE>
<SCRIPT LANGUAGE="javaScript">
<!--
   var timeid;
   function disp() {
    timeid=setTimeout("disp0()", 4000);
   }
   function disp0() {
    window.parent.img.location.href="album_4.html";
   }
//-->
</SCRIPT>
</HEAD>
EOF
body_default; cat <<'EOF'
<CENTER>
<H3>31枚</H3>
<SCRIPT LANGUAGE="javaScript">
<!--
sw=0;
EOF
for i in $(seq 1 30); do
  printf '    if ((parent.window.name=="W%d")&&(sw==0)) {parent.window.name="W%d";sw=1;}\n' "$i" "$((i + 1))"
done
echo '    if ((parent.window.name=="W31")&&(sw==0)) {parent.window.name="W1";sw=1;}'
echo '    if (sw==0) {parent.window.name="W1";}'
for i in $(seq 1 31); do
  printf '    if (parent.window.name=="W%d") {document.write('"'"'<A HREF="album_2.html" TARGET="img"><IMG SRC="big/%s.jpg" Border=0 Width= 600 Height= 450 ALT="%s.jpg"></A><BR>%s'"'"');}\n' "$i" "$(n $i)" "$(n $i)" "$(n $i)"
done
cat <<'EOF'
disp();
//-->
</SCRIPT>
EOF
credit; cat <<'EOF'
</CENTER>
</BODY>
</HTML>
EOF
} | page $D/album_4.html

############################################################################################
# publish-menu: the menu page of a parent folder named 旅行記 holding trip2 (newer) and
# trip1 (older), default settings.
D=publish-menu
{ cat <<'EOF'
<!-- saved from url=(0017)http://localhost -->
<HTML>
<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">
<head>
<title>旅行記</title>
</head>
EOF
body_default; cat <<'EOF'
<center>
<H4>旅行記</H4>
<hr>
<table>
<tr><td><A HREF="trip1/album.html">trip1</a></td></tr>
<tr><td><A HREF="trip2/album.html">trip2</a></td></tr>
</table>
<hr>
<BR><BR>
<A HREF="../index.html"  TARGET="_top">戻り</A><BR>
</center>
</body>
</html>
EOF
} | page $D/index.html
