' Strings in loops (where the typed code reads and builds them): appending to a text that
' another variable shares, a target that appears more than once on the right, slices and
' searches on their edges, zero bytes, and the errors with their lines.

Function T() As String
 Dim a As String, b As String, i As Long
 For i = 1 To 40
  a = a & "y"
  If i = 20 Then b = a
 Next i
 b = b & "w"
 a = a & "z"
 T = Len(a) & "|" & Right(a, 2) & "|" & Len(b) & "|" & Right(b, 2)
End Function
' expect: 41|yz|21|yw

Function T() As String
 Dim a As String, b As String, i As Long
 a = "abc"
 For i = 1 To 3
  b = a
  b = b & i
  a = a & "-"
 Next i
 T = a & "|" & b
End Function
' expect: abc---|abc--3

Function T() As String
 Dim x As String, i As Long
 x = "ab"
 For i = 1 To 3
  x = x & x
 Next i
 T = Len(x) & x
End Function
' expect: 16abababababababab

Function T() As String
 Dim x As String, i As Long
 For i = 1 To 30
  x = x & Chr(65 + i Mod 26)
 Next i
 For i = 1 To 2
  x = x & Mid(x, 2, 3) & x & Left(x, 1)
 Next i
 T = Len(x) & "|" & Left(x, 8) & "|" & Mid(x, 31, 5) & "|" & Right(x, 6)
End Function
' expect: 132|BCDEFGHI|CDEBC|BCDEBB
' (each pass: x, three from its second, x again, its first)

Function T() As String
 Dim x As String, u As String, i As Long
 u = "<>"
 For i = 1 To 3
  x = Left(u, 1) & x & Right(u, 1)
 Next i
 T = x & "|" & u
End Function
' expect: <<<>>>|<>

Function T() As String
 Dim s As String, e As String, i As Long, r As String
 s = "hello"
 For i = 4 To 7
  r = r & "[" & Mid(s, i) & Mid(s, i, 0) & Left(s, i - 4) & Right(s, i - 4) & "]" & InStr(i, s, e) & InStr(i, s, "o") & InStr(e, e) & InStr(i, e, e) & Len(Mid(s, i, 2))
 Next i
 T = r
End Function
' expect: [lo]45102[oho]55101[helo]60100[helllo]00100

Function T() As String
 Dim s As String, z As String, i As Long, n As Long
 z = Chr(0)
 For i = 1 To 3
  s = s & "a" & z
 Next i
 For i = 1 To Len(s)
  n = n * 10 + Asc(Mid(s, i, 1)) Mod 10 + InStr(i, s, z)
 Next i
 T = Len(s) & "|" & n & "|" & InStr(s, z & "a") & InStr(4, s, Left(z, 1))
End Function
' expect: 6|931536|24

Function T() As Long
 Dim s As String, i As Long, n As Long
 s = "abc"
 For i = 3 To 0 Step -1
  n = n + Len(Mid(s, i, 1))
 Next i
 T = n
End Function
' error: Invalid @5

Function T() As Long
 Dim s As String, i As Long, n As Long
 s = "abc"
 For i = 2 To 0 Step -1
  n = n + InStr(i, s, "c")
 Next i
 T = n
End Function
' error: Invalid @5

Function T() As String
 Dim x As String, i As Long
 For i = 250 To 260
  x = x & Chr(i)
 Next i
 T = x
End Function
' error: out of range @4

Function T() As Long
 Dim s As String, i As Long, n As Long
 s = "abc"
 For i = 1 To 5
  n = n + Asc(Mid(s, i))
 Next i
 T = n
End Function
' error: Invalid @5

Function T() As String
 Dim s As String, x As String, i As Long
 s = "abc"
 For i = 1 To -1 Step -1
  x = x & Left(s, i) & ","
 Next i
 T = x
End Function
' error: Invalid @5

Sub Grow(s As String)
 Dim i As Long
 For i = 1 To 3
  s = s & Len(s)
 Next i
End Sub
Function T() As String
 Dim s As String, u As String
 s = "x"
 u = s
 Grow s
 T = s & "|" & u
End Function
' expect: x123|x

Function Tally() As String
 Static s As String
 Dim i As Long
 For i = 1 To 2
  s = s & "s"
 Next i
 Tally = s
End Function
Function T() As String
 Dim a As String
 a = Tally()
 T = a & "|" & Tally() & "|" & a
End Function
' expect: ss|ssss|ss

Function T() As String
 Dim v As Long, x As String, w As String, i As Long
 v = 5
 For i = 1 To 2
  x = x & v & "n"
  w = w & "v" & i
 Next i
 T = x & "|" & w
End Function
' expect: 5n5n|v1v2

Function T() As String
 Dim x As String, i As Long, n As Long
 For i = 1 To 300
  x = x & "ab" & Chr(65 + i Mod 26)
  If Len(x) > 100 Then
   n = n + Len(x)
   x = ""
  End If
 Next i
 T = n & "|" & Len(x) & "|" & x
End Function
' expect: 816|84|abNabOabPabQabRabSabTabUabVabWabXabYabZabAabBabCabDabEabFabGabHabIabJabKabLabMabNabO
