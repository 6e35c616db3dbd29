' String values and functions on their edges: empty texts, slices at the ends, lengths
' around the short-text limit, zero bytes, texts shared by two variables, and locals
' read in place while other arguments run code.

Function T() As String
 Dim a As String, b As String
 a = "xy"
 b = a
 a = a & "z"
 T = a & "|" & b
End Function
' expect: xyz|xy

Function T() As String
 Dim a As String, b As String, i As Long
 For i = 1 To 30
  a = a & Chr(97 + i Mod 26)
 Next i
 b = a
 a = a & "!"
 b = b & "?"
 T = Right(a, 3) & "|" & Right(b, 3) & "|" & Len(a) & "|" & Len(b)
End Function
' expect: de!|de?|31|31

Function T() As String
 Dim x As String, y As String
 x = Chr(65)
 y = x
 x = x & "b"
 y = y & "c"
 T = x & y & Chr(65) & Mid(x, 1, 1)
End Function
' expect: AbAcAA

Function T() As String
 Dim s As String, i As Long, r As String
 For i = 20 To 26
  s = String(i, "a") & "b"
  r = r & Len(s) & Right(s, 2) & InStr(s, "b") & ","
 Next i
 T = r
End Function
' expect: 21ab21,22ab22,23ab23,24ab24,25ab25,26ab26,27ab27,

Function T() As String
 Dim s As String, u As String
 s = String(195, "q") & "xyz"
 u = Mid(s, 194, 4)
 T = Len(s) & u & InStr(s, "qx") & Len(Left(s, 196)) & Right(s, 1)
End Function
' expect: 198qqxy195196z

Function T() As String
 Dim s As String
 s = "hello"
 T = "[" & Mid(s, 6) & "][" & Mid(s, 100, 2) & "][" & Left(s, 0) & "][" & Right(s, 0) & "][" & Left(s, 9) & "][" & Right(s, 9) & "][" & Mid(s, 1) & "][" & Mid(s, 5, 1) & "][" & Mid(s, 1, 1) & "][" & Mid(Mid(s, 2, 3), 2) & "]"
End Function
' expect: [][][][][hello][hello][hello][o][h][ll]

Function T() As String
 T = Left("abc", 5) & Right("abc", 3) & Mid("abc", 2) & Left("abc", 1) & Len("") & Len("abc")
End Function
' expect: abcabcbca03

Function T() As String
 Dim e As String, s As String
 s = "abc"
 T = InStr(e, e) & InStr(s, e) & InStr(4, s, e) & InStr(5, s, e) & InStr(e, "a") & Len(e) & "[" & Trim("   ") & "]" & StrComp(e, s) & StrComp(s, e) & StrComp(e, "")
End Function
' expect: 114000[]-110

Function T() As String
 Dim s As String
 s = "a" & Chr(0) & "b"
 T = Len(s) & "|" & Asc(Mid(s, 2, 1)) & "|" & InStr(s, "b") & "|" & InStr(s, Chr(0)) & "|" & Right(s, 1) & "|" & Len(s & s)
End Function
' expect: 3|0|3|2|b|6

Function T() As String
 T = Asc(Chr(255)) & Asc(Chr(0)) & Len(Chr(0)) & Len(Chr(32) & Chr(0))
End Function
' expect: 255012

Function T() As String
 T = Chr(256)
End Function
' error: out of range

Function T() As Long
 Dim s As String
 T = Asc(Mid("abc", 4))
End Function
' error: Invalid

Function T() As String
 Dim s As String, n As Long
 s = "  padded  "
 n = 12345
 T = "[" & Trim(s) & "][" & LTrim(s) & "][" & RTrim(s) & "][" & Trim("none") & "]" & Len(n) & UCase(Mid(s, 3, 3)) & Val(Mid("x42y", 2))
End Function
' expect: [padded][padded  ][  padded][none]5PAD42

Function T() As String
 Dim s As String, i As Long, n As Long
 s = "the quick brown fox jumps over the lazy dog"
 For i = 1 To 45
  n = n + InStr(s, Mid$(s, (i Mod 40) + 1, 3))
 Next i
 T = n & "|" & InStr(5, s, "the") & "|" & InStr(1, s, "THE", 1) & "|" & InStr(s, "dogs")
End Function
' expect: 778|32|1|0

Function Change(s As String) As Long
 s = "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"
 Change = 1
End Function
Function T() As String
 Dim s As String
 s = "abcdefghijklmnopqrstuvwxyz0123456789"
 T = InStr(s, Mid(s, Change(s), 3)) & "|" & Left(s, 2)
End Function
' expect: 1|zz

Function Change(s As String) As Long
 s = "zz"
 Change = 2
End Function
Function T() As String
 Dim s As String
 s = "abcdefghijklmnopqrstuvwxyz0123456789"
 T = Mid(s, 1 + Change(s) * 0, 3) & Mid(s, Change(s)) & StrComp(s, Left(s, Change(s)))
End Function
' expect: abcz0

Function T() As String
 Dim s As String, i As Long, r As String
 s = String(40, "a") & Chr(200) & "b" & Chr(0) & "c" & String(20, "x") & "y"
 For i = 1 To 70 Step 7
  r = r & InStr(i, s, "a") & ","
 Next i
 T = r & InStr(s, Chr(200) & "b") & InStr(s, Chr(0) & "c") & "|" & InStr(s, "y") & InStr(s, "xy") & InStr(s, "z") & InStr(9, s, String(32, "a"))
End Function
' expect: 1,8,15,22,29,36,0,0,0,0,4143|656409
